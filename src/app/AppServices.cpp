#include "app/AppServices.h"

#include "base/Log.h"
#include "base/QtDispatch.h"
#include "daemon/DaemonSocketTransport.h"

namespace vantrel {

AppServices::AppServices(const LaunchOptions& options)
    : options_(options),
      dispatch_(std::make_unique<QtDispatch>()),
      paths_(Paths::fromEnvironment()),
      preferences_(std::make_unique<SettingsFilePreferences>(paths_.preferencesFile()))
{
    transport_ = std::make_shared<DaemonSocketTransport>(*dispatch_, paths_.daemonSocket(),
                                                         DaemonSocketTransport::verboseFromEnvironment());
    daemon_ = std::make_unique<DaemonClient>(transport_, paths_.updateStatusFile());
    platform_ = makePlatform(options_.platform, paths_);
    desktop_ = makeDesktopServices(options_.platform, paths_, *dispatch_, transport_);
    launchAtLogin_ = std::make_unique<VantrelLaunchAtLoginController>(
        VantrelLaunchAtLoginController::configurationFor(paths_), *desktop_.loginItems);
    helperInstaller_ = std::make_unique<BatteryHelperOnboardingInstaller>(
        BatteryHelperOnboardingInstaller::configurationFor(paths_));
}

AppServices::~AppServices() = default;

void AppServices::requestNotificationAuthorization()
{
    desktop_.notifications->requestAuthorization([](bool granted, const std::optional<QString>& error) {
        if (granted)
            logLine(QStringLiteral("Notification permission granted."));
        else if (error)
            logLine(QStringLiteral("Notification permission error: ") + *error);
    });
}

AppDelegateContext AppServices::delegateContext(std::function<QWidget*()> rootViewFactory,
                                                std::function<void()> terminate)
{
    const VantrelRuntimeEnvironment& environment = VantrelRuntimeEnvironment::current();
    return AppDelegateContext{
        .dispatch = *dispatch_,
        .preferences = *preferences_,
        .daemon = *daemon_,
        .notifications = *desktop_.notifications,
        .launchAtLogin = launchAtLogin_.get(),
        .environment = environment,
        .bundle = AppBundle::current(environment),
        .lockDirectory = paths_.appSupportFolder(),
        .arguments = options_.arguments,
        .rootViewFactory = std::move(rootViewFactory),
        .terminate = std::move(terminate),
        .systemTrayAvailable = {},
        .hooks = {},
    };
}

} // namespace vantrel
