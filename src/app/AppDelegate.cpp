#include "app/AppDelegate.h"

#include <QGuiApplication>
#include <QSessionManager>

#include "app/AppIcon.h"
#include "app/DashboardWindow.h"
#include "app/RuntimeConflictReport.h"
#include "app/VantrelLaunchAtLoginController.h"
#include "base/Log.h"

namespace vantrel {
namespace {

QPointer<AppDelegate>& sharedDelegate()
{
    static QPointer<AppDelegate> delegate;
    return delegate;
}

// A refused start waits this long at most for its notification to be handed over.
constexpr Duration kRefusalNotificationWait{5000};

} // namespace

AppDelegate::AppDelegate(AppDelegateContext context)
    : context_(std::move(context))
    , instanceLock_(context_.lockDirectory, context_.environment.instanceLockFileName())
{ }

AppDelegate::~AppDelegate() = default;

AppDelegate* AppDelegate::shared() { return sharedDelegate().data(); }

AppDelegate::LaunchOutcome AppDelegate::applicationDidFinishLaunching()
{
    sharedDelegate() = this;

    const bool development = context_.environment.isDevelopmentBuild;
    const bool canonical
        = context_.launchAtLogin && context_.launchAtLogin->isCanonicalProductionBundle(context_.bundle);
    if (!development && canonical)
        disableRelaunchOnLogin();
    if (instanceLock_.acquire() != InstanceLock::Result::Acquired) {
        if (!instanceLock_.error().isEmpty())
            logLine(QStringLiteral("Vantrel instance lock: ") + instanceLock_.error());
        return refuse(RuntimeConflict::duplicateRun());
    }
    if (!development) {
        if (context_.hooks.acknowledgePendingUpdateRelaunch)
            context_.hooks.acknowledgePendingUpdateRelaunch();
        if (context_.launchAtLogin)
            context_.launchAtLogin->repairRegistrationIfNeeded(context_.preferences, context_.bundle);
    }

    if (auto conflict = RuntimeAdmission::prepareRuntimeOwnership(development, context_.daemon))
        return refuse(*conflict);
    if (context_.hooks.launchAdmitted)
        context_.hooks.launchAdmitted();

    // The activation policy has no counterpart on this desktop: the app is always a regular one.
    installStatusItem();
    if (context_.hooks.startTelemetry)
        context_.hooks.startTelemetry(weaklyPredicate());
    if (!development && context_.hooks.acknowledgePendingUpdateRelaunch)
        context_.hooks.acknowledgePendingUpdateRelaunch();

    // Without a tray the window is the only way in, so it is shown even for a background start.
    const bool background = context_.arguments.contains(backgroundFlag);
    if (!background || !statusItem_->isInstalled())
        scheduleDashboardWindowPresentation();
    return LaunchOutcome::Admitted;
}

std::function<bool()> AppDelegate::weaklyPredicate()
{
    QPointer<AppDelegate> guard(this);
    return [guard] { return guard && guard->isForegroundEligible(); };
}

AppDelegate::LaunchOutcome AppDelegate::refuse(const RuntimeConflict& conflict)
{
    reportRuntimeConflict(context_.notifications, conflict,
                          [guard = QPointer<AppDelegate>(this)](const std::optional<QString>&) {
        if (guard)
            guard->finishRefusal();
    });
    // A notification service that never answers must not keep a refused copy alive.
    context_.dispatch.after(context_.dispatch.main(), kRefusalNotificationWait,
                            weakly(this, [](AppDelegate* self) { self->finishRefusal(); }));
    return LaunchOutcome::Refused;
}

void AppDelegate::finishRefusal()
{
    if (refusalFinished_)
        return;
    refusalFinished_ = true;
    if (context_.terminate)
        context_.terminate();
}

void AppDelegate::disableRelaunchOnLogin()
{
    // The session manager must not bring the app back by itself; the login entry decides.
    if (auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        connect(gui, &QGuiApplication::saveStateRequest, this,
                [](QSessionManager& manager) { manager.setRestartHint(QSessionManager::RestartNever); });
    }
}

void AppDelegate::installStatusItem()
{
    if (statusItem_)
        return;
    statusItem_ = std::make_unique<StatusItem>(statusItemIcon(QGuiApplication::windowIcon()),
                                               context_.environment.displayName());
    connect(statusItem_.get(), &StatusItem::toggleRequested, this, &AppDelegate::toggleDashboardWindow);
    connect(statusItem_.get(), &StatusItem::showRequested, this, &AppDelegate::showDashboardWindow);
    connect(statusItem_.get(), &StatusItem::hideRequested, this, [this] { hideDashboardWindow(true); });
    const bool trayAvailable
        = context_.systemTrayAvailable ? context_.systemTrayAvailable() : QSystemTrayIcon::isSystemTrayAvailable();
    if (!statusItem_->install(trayAvailable))
        logLine(QStringLiteral("Vantrel: this desktop has no system tray; the main window is the way in"));
}

bool AppDelegate::applicationShouldHandleReopen()
{
    showDashboardWindow();
    return true;
}

bool AppDelegate::applicationShouldTerminate()
{
    hideDashboardWindow(false);
    return true;
}

void AppDelegate::applicationWillTerminate()
{
    if (context_.hooks.terminateTelemetry)
        context_.hooks.terminateTelemetry();
    instanceLock_.release();
}

void AppDelegate::dashboardStateChanged()
{
    if (context_.hooks.dashboardStateChanged)
        context_.hooks.dashboardStateChanged();
}

} // namespace vantrel
