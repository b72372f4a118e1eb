#include "ui/shield/ShieldPanel.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWheelEvent>

namespace vantrel {

Qt::WindowFlags ShieldPanel::windowFlags()
{
    // Bypassing the window manager keeps the panel above full-screen windows on every
    // workspace and out of window cycling; it never becomes the focus window.
    return Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus
        | Qt::X11BypassWindowManagerHint | Qt::NoDropShadowWindowHint;
}

ShieldPanel::ShieldPanel(QScreen* screen, const QRect& frame)
    : QWidget(nullptr, windowFlags())
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_TransparentForMouseEvents, false);
    setFocusPolicy(Qt::NoFocus);
    setWindowTitle(QStringLiteral("Vantrel Safety Shield"));
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);
    if (screen)
        setScreen(screen);
    setGeometry(frame);
}

void ShieldPanel::orderFrontRegardless()
{
    show();
    raise();
}

void ShieldPanel::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() != QEvent::ActivationChange || !isActiveWindow() || !activationReturn_)
        return;
    QPointer<QWidget> back = activationReturn_;
    QMetaObject::invokeMethod(
        this,
        [back] {
        if (back && back->isVisible())
            back->activateWindow();
        },
        Qt::QueuedConnection);
}

void ShieldPanel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
}

void ShieldPanel::mousePressEvent(QMouseEvent* event)
{
    ++swallowedMouseEvents_;
    event->accept();
}

void ShieldPanel::mouseReleaseEvent(QMouseEvent* event)
{
    ++swallowedMouseEvents_;
    event->accept();
}

void ShieldPanel::mouseDoubleClickEvent(QMouseEvent* event)
{
    ++swallowedMouseEvents_;
    event->accept();
}

void ShieldPanel::mouseMoveEvent(QMouseEvent* event) { event->accept(); }

void ShieldPanel::wheelEvent(QWheelEvent* event) { event->accept(); }

void ShieldPanel::keyPressEvent(QKeyEvent* event) { event->accept(); }

} // namespace vantrel
