#pragma once
// The composition root: makes the one instance of every long-lived collaborator and wires
// them together. Nothing else in the application picks its own backends.
#include <functional>
#include <memory>

#include "app/AppDelegate.h"
#include "app/BatteryHelperOnboardingInstaller.h"
#include "app/LaunchOptions.h"
#include "app/ModelServices.h"
#include "app/VantrelLaunchAtLoginController.h"
#include "base/Dispatch.h"
#include "base/Paths.h"
#include "base/Preferences.h"
#include "daemon/DaemonClient.h"
#include "daemon/DaemonTransport.h"
#include "platform/DesktopServices.h"
#include "platform/PlatformServices.h"
#include "ui/onboarding/OnboardingEnvironment.h"

namespace vantrel {

class LogindSleepSignals;
class NetworkReachability;
class OnboardingGateModel;
class PortalColorSchemeSetting;
class UiState;
class VantrelActivityTelemetry;
class VantrelUpdateInstallation;
class VantrelUpdateRelaunch;
class VantrelUpdateService;
struct UiContext;

class AppServices {
public:
    // Made on the main thread once the Qt application exists. Makes only what the launch
    // admission needs (the daemon client, preferences for reading, notifications); nothing
    // is written here.
    explicit AppServices(const LaunchOptions& options);
    ~AppServices();

    Dispatch& dispatch() { return *dispatch_; }
    const Paths& paths() const { return paths_; }
    Preferences& preferences() { return *preferences_; }
    std::shared_ptr<DaemonTransport> transport() const { return transport_; }
    DaemonClient& daemon() { return *daemon_; }
    // For collaborators that keep the client (the screens).
    std::shared_ptr<DaemonClient> sharedDaemon() const { return daemon_; }
    const PlatformServices& platform() const { return platform_; }
    const DesktopServices& desktop() const { return desktop_; }
    VantrelLaunchAtLoginController& launchAtLogin() { return *launchAtLogin_; }
    BatteryHelperOnboardingInstaller& helperInstaller() { return *helperInstaller_; }

    // Builds the model and the screens' state: the central state restores (and migrates) the
    // stored preferences, so this waits until the launch is admitted. Once only.
    void buildModel();
    bool hasModel() const { return model_ != nullptr; }
    // After buildModel().
    ModelServices& model() { return *model_; }
    UiState& uiState() { return *uiState_; }

    // Starts the central state (heartbeat, monitoring loop, start-up sequence); builds it first
    // when that has not happened yet.
    void startModel();
    // The main window's content: the sidebar and the pages, observing the model (built first
    // when needed).
    QWidget* makeRootView(std::function<void()> quit);
    // "--screenshot": one SMC read and the hardware profile instead of the running loop, then
    // the page rendered offscreen. False with the reason in *error.
    bool renderScreenshot(const LaunchOptions::Screenshot& request, QString* error);
    // The headless run's pictures: every page and sheet as "<identifier>.png" in directory,
    // from the running model, in the current language and theme. Each outcome is logged.
    void writePagePictures(const QString& directory);

    // At process start: ask for notification permission and print the answer.
    void requestNotificationAuthorization();
    AppDelegateContext delegateContext(std::function<QWidget*()> rootViewFactory, std::function<void()> terminate);

    // The usage telemetry with its uploader and the desktop's activation, sleep and network
    // signals; once, when the launch is admitted.
    void startTelemetry(std::function<bool()> foregroundEligibility);

private:
    UiContext uiContext(std::function<void()> quit);
    // The gate's view of the central state, the keep-awake controller and the helper installer.
    OnboardingEnvironment onboardingEnvironment();

    LaunchOptions options_;
    std::unique_ptr<Dispatch> dispatch_;
    Paths paths_;
    std::unique_ptr<Preferences> preferences_;
    std::shared_ptr<DaemonTransport> transport_;
    std::shared_ptr<DaemonClient> daemon_;
    PlatformServices platform_;
    DesktopServices desktop_;
    std::unique_ptr<VantrelLaunchAtLoginController> launchAtLogin_;
    std::unique_ptr<BatteryHelperOnboardingInstaller> helperInstaller_;
    std::unique_ptr<ModelServices> model_;
    std::unique_ptr<UiState> uiState_;
    std::unique_ptr<VantrelUpdateService> updateService_;
    std::unique_ptr<VantrelUpdateInstallation> updateInstallation_;
    std::unique_ptr<VantrelUpdateRelaunch> updateRelaunch_;
    // The desktop's light/dark preference the main window follows; made with the window.
    std::unique_ptr<PortalColorSchemeSetting> desktopColorScheme_;
    std::shared_ptr<VantrelActivityTelemetry> telemetry_;
    std::unique_ptr<NetworkReachability> networkReachability_;
    std::unique_ptr<LogindSleepSignals> sleepSignals_;
    // The first-run gate's state; made with the main window's content.
    std::unique_ptr<OnboardingGateModel> onboarding_;
};

} // namespace vantrel
