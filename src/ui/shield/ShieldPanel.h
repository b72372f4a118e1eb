#pragma once
// One shield window: an opaque black borderless window above everything on its screen that
// never takes focus or activates the application, yet receives and swallows mouse input.
#include <QPointer>
#include <QWidget>

namespace vantrel {

class ShieldPanel : public QWidget {
    Q_OBJECT
public:
    static Qt::WindowFlags windowFlags();

    // Covers frame (the screen's geometry) on screen.
    ShieldPanel(QScreen* screen, const QRect& frame);

    // Shows the panel and brings it to the front without activating the application.
    void orderFrontRegardless();
    int swallowedMouseEvents() const { return swallowedMouseEvents_; }
    // Where activation goes back to when a platform activates the panel against its hints
    // (some window managers and the offscreen platform activate every window shown).
    void setActivationReturn(QWidget* window) { activationReturn_ = window; }

protected:
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    int swallowedMouseEvents_ = 0;
    QPointer<QWidget> activationReturn_;
};

} // namespace vantrel
