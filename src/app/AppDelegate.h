#pragma once
// The application delegate: the launch sequence (instance lock, runtime admission, status
// item, usage telemetry, main window), the main window's presentation, and termination.
#include <functional>
#include <memory>

#include <QObject>
#include <QPointer>
#include <QStringList>

#include "app/AppBundle.h"
#include "app/InstanceLock.h"
#include "app/RuntimeAdmission.h"
#include "app/StatusItem.h"
#include "app/VantrelRuntimeEnvironment.h"
#include "base/Dispatch.h"
#include "base/Preferences.h"
#include "platform/UserNotifications.h"

class QWidget;

namespace vantrel {

class DaemonClient;
class DashboardWindow;
class VantrelLaunchAtLoginController;

// Where the usage telemetry and the update service join the lifecycle. Each may be empty
// until the part that provides it exists.
struct AppLifecycleHooks {
    // The launch was admitted (instance lock and runtime ownership): build what the running
    // application needs before its status item and window appear. A refused copy never gets here.
    std::function<void()> launchAdmitted;
    std::function<void(std::function<bool()> foregroundEligibility)> startTelemetry;
    std::function<void()> dashboardStateChanged;
    std::function<void()> terminateTelemetry;
    std::function<void()> acknowledgePendingUpdateRelaunch;
    std::function<void()> presentPendingReleaseNotes;
};

struct AppDelegateContext {
    Dispatch& dispatch;
    Preferences& preferences;
    const DaemonClient& daemon;
    UserNotifications& notifications;
    // Absent: launch at login is not touched.
    VantrelLaunchAtLoginController* launchAtLogin = nullptr;
    VantrelRuntimeEnvironment environment;
    AppBundle bundle;
    // Where the instance lock file lives (the app's folder in Application Support).
    QString lockDirectory;
    QStringList arguments;
    // Makes the main window's root view; empty shows a placeholder.
    std::function<QWidget*()> rootViewFactory;
    // Ends the application (queued: may be called before the event loop runs).
    std::function<void()> terminate;
    // Whether the desktop shows tray icons; empty asks Qt.
    std::function<bool()> systemTrayAvailable;
    AppLifecycleHooks hooks;
};

class AppDelegate final : public QObject {
    Q_OBJECT
public:
    static inline const QString backgroundFlag = QStringLiteral("--background-status-only");
    static constexpr Duration fadeDuration{60};

    explicit AppDelegate(AppDelegateContext context);
    ~AppDelegate() override;

    // The delegate of this process while it exists.
    static AppDelegate* shared();

    enum class LaunchOutcome {
        Admitted,
        Refused
    };
    LaunchOutcome applicationDidFinishLaunching();
    // Shows the main window; true.
    bool applicationShouldHandleReopen();
    // Hides the main window without animation; termination may go ahead at once (true).
    bool applicationShouldTerminate();
    bool applicationShouldTerminateAfterLastWindowClosed() const { return false; }
    void applicationWillTerminate();

    void showDashboardWindow();
    void hideDashboardWindow(bool animated);
    void toggleDashboardWindow();
    void scheduleDashboardWindowPresentation();
    void showDashboardWindowIfMissing();

    // The kept main window, or any window identified as "vantrel-main".
    DashboardWindow* dashboardWindow() const;
    StatusItem* statusItem() const { return statusItem_.get(); }
    bool isDashboardTransitioning() const { return isDashboardTransitioning_; }
    int instanceLockFD() const { return instanceLock_.fd(); }
    // Active application with the main window on screen and not minimised.
    bool isForegroundEligible() const;

private:
    std::function<bool()> weaklyPredicate();
    LaunchOutcome refuse(const RuntimeConflict& conflict);
    void finishRefusal();
    void installStatusItem();
    void disableRelaunchOnLogin();
    DashboardWindow* makeDashboardWindow();
    void restoreFrameOrCentre(DashboardWindow& window);
    void saveFrame(const DashboardWindow& window);
    void orderOut(DashboardWindow& window);
    void fadeStep(int step);
    void dashboardStateChanged();

    AppDelegateContext context_;
    InstanceLock instanceLock_;
    std::unique_ptr<StatusItem> statusItem_;
    std::unique_ptr<DashboardWindow> dashboardWindow_;
    bool isDashboardTransitioning_ = false;
    bool refusalFinished_ = false;
};

} // namespace vantrel
