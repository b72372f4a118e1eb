// The main window's presentation: made once, shown on demand, hidden with a short fade.
#include "app/AppDelegate.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>

#include "app/DashboardWindow.h"
#include "app/WindowFrame.h"

namespace vantrel {
namespace {

constexpr int kFadeSteps = 3;

QList<QRect> visibleScreenAreas()
{
    QList<QRect> areas;
    for (const QScreen* screen : QGuiApplication::screens())
        areas << screen->availableGeometry();
    return areas;
}

} // namespace

DashboardWindow* AppDelegate::dashboardWindow() const
{
    if (dashboardWindow_)
        return dashboardWindow_.get();
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* window = qobject_cast<DashboardWindow*>(widget);
            window && window->objectName() == DashboardWindow::identifier)
            return window;
    return nullptr;
}

bool AppDelegate::isForegroundEligible() const
{
    const DashboardWindow* window = dashboardWindow();
    return QGuiApplication::applicationState() == Qt::ApplicationActive && window && window->isVisible()
        && !window->isMinimized();
}

DashboardWindow* AppDelegate::makeDashboardWindow()
{
    QWidget* root = context_.rootViewFactory ? context_.rootViewFactory() : nullptr;
    dashboardWindow_ = std::make_unique<DashboardWindow>(root);
    DashboardWindow* window = dashboardWindow_.get();
    connect(window, &DashboardWindow::aboutToClose, this, [this, window] {
        saveFrame(*window);
        dashboardStateChanged();
    });
    connect(window, &DashboardWindow::presentationChanged, this, &AppDelegate::dashboardStateChanged);
    restoreFrameOrCentre(*window);
    return window;
}

void AppDelegate::restoreFrameOrCentre(DashboardWindow& window)
{
    const auto saved = WindowFrame::decode(context_.preferences.stringValue(WindowFrame::autosaveName));
    if (saved && WindowFrame::isVisibleOnAnyScreen(*saved, visibleScreenAreas())) {
        window.setGeometry(*saved);
        return;
    }
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen && !QGuiApplication::screens().isEmpty())
        screen = QGuiApplication::screens().first();
    const QSize size(DashboardWindow::contentWidth, DashboardWindow::contentHeight);
    if (screen)
        window.setGeometry(WindowFrame::centred(size, screen->availableGeometry()));
    else
        window.resize(size);
}

void AppDelegate::saveFrame(const DashboardWindow& window)
{
    const QRect frame = window.isMinimized() ? window.normalGeometry() : window.geometry();
    context_.preferences.setValue(WindowFrame::autosaveName, WindowFrame::encode(frame));
}

void AppDelegate::showDashboardWindow()
{
    DashboardWindow* window = dashboardWindow();
    if (!window)
        window = makeDashboardWindow();
    window->configureTitleBar(context_.environment.displayName());
    if (window->isMinimized())
        window->showNormal();
    window->setWindowOpacity(1.0);
    window->show();
    window->raise();
    window->activateWindow();
    dashboardStateChanged();
    if (context_.hooks.presentPendingReleaseNotes)
        context_.hooks.presentPendingReleaseNotes();
}

void AppDelegate::showDashboardWindowIfMissing()
{
    const DashboardWindow* window = dashboardWindow();
    if (!window || !window->isVisible())
        showDashboardWindow();
}

void AppDelegate::scheduleDashboardWindowPresentation()
{
    showDashboardWindow();
    // A window shown during launch can be lost to the desktop's own start-up; ask again.
    const auto again = [](AppDelegate* self) { self->showDashboardWindowIfMissing(); };
    Dispatch& dispatch = context_.dispatch;
    dispatch.main()->async(weakly(this, again));
    dispatch.after(dispatch.main(), seconds(0.25), weakly(this, again));
    dispatch.after(dispatch.main(), seconds(0.75), weakly(this, again));
}

void AppDelegate::hideDashboardWindow(bool animated)
{
    DashboardWindow* window = dashboardWindow();
    if (!window)
        return;
    saveFrame(*window);
    if (animated && window->isVisible()) {
        isDashboardTransitioning_ = true;
        fadeStep(1);
        return;
    }
    orderOut(*window);
}

void AppDelegate::fadeStep(int step)
{
    DashboardWindow* window = dashboardWindow();
    if (!window) {
        isDashboardTransitioning_ = false;
        return;
    }
    if (step > kFadeSteps) {
        orderOut(*window);
        return;
    }
    window->setWindowOpacity(1.0 - double(step) / kFadeSteps);
    context_.dispatch.after(context_.dispatch.main(), fadeDuration / kFadeSteps,
                            weakly(this, [step](AppDelegate* self) { self->fadeStep(step + 1); }));
}

void AppDelegate::orderOut(DashboardWindow& window)
{
    window.hide();
    window.setWindowOpacity(1.0);
    isDashboardTransitioning_ = false;
    dashboardStateChanged();
}

void AppDelegate::toggleDashboardWindow()
{
    if (isDashboardTransitioning_)
        return;
    const DashboardWindow* window = dashboardWindow();
    if (window && window->isVisible() && !window->isMinimized())
        hideDashboardWindow(true);
    else
        showDashboardWindow();
}

} // namespace vantrel
