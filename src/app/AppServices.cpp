#include "app/AppServices.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMessageBox>
#include <QThread>

#include "app/PlatformBackends.h"
#include "base/BuildInfo.h"
#include "base/Log.h"
#include "base/NotificationCenter.h"
#include "base/QtDispatch.h"
#include "core/ThermalManager.h"
#include "daemon/DaemonSocketTransport.h"
#include "fan/FanControlState.h"
#include "fan/MacOSFanObserver.h"
#include "l10n/L10n.h"
#include "sensors/HardwareCapabilityStore.h"
#include "sensors/HardwareProfile.h"
#include "sensors/SMCHelper.h"
#include "sleep/DarkKeepAlive.h"
#include "sleep/SleepRuntimeReconciler.h"
#include "sleep/VirtualDisplayManager.h"
#include "telemetry/HttpActivityUploader.h"
#include "telemetry/LogindSleepSignals.h"
#include "telemetry/NetworkReachability.h"
#include "telemetry/TelemetryEndpoint.h"
#include "telemetry/VantrelActivityTelemetry.h"
#include "ui/onboarding/OnboardingGateModel.h"
#include "ui/onboarding/VantrelOnboardingGate.h"
#include "ui/screenshot/PageScreenshot.h"
#include "ui/shell/UiContext.h"
#include "ui/shell/UiState.h"
#include "ui/shell/UiStateBinding.h"
#include "ui/shell/VantrelRootView.h"
#include "ui/shield/QtShieldWindows.h"
#include "ui/sleep/ModelSleepControls.h"
#include "ui/style/PortalColorSchemeSetting.h"
#include "update/UpdateDownloadTransfer.h"
#include "update/VantrelUpdateInstallation.h"
#include "update/VantrelUpdateRelaunch.h"
#include "update/VantrelUpdateService.h"

namespace vantrel {

AppServices::AppServices(const LaunchOptions& options)
    : options_(options)
    , dispatch_(std::make_unique<QtDispatch>())
    , paths_(Paths::fromEnvironment())
    , preferences_(std::make_unique<SettingsFilePreferences>(paths_.preferencesFile()))
{
    transport_ = std::make_shared<DaemonSocketTransport>(*dispatch_, paths_.daemonSocket(),
                                                         DaemonSocketTransport::verboseFromEnvironment());
    daemon_ = std::make_shared<DaemonClient>(transport_, paths_.updateStatusFile());
    platform_ = makePlatform(options_.platform, paths_);
    desktop_ = makeDesktopServices(options_.platform, paths_, *dispatch_, transport_);
    if (!desktop_.shieldWindows)
        desktop_.shieldWindows = std::make_shared<QtShieldWindows>();
    launchAtLogin_ = std::make_unique<VantrelLaunchAtLoginController>(
        VantrelLaunchAtLoginController::configurationFor(paths_), *desktop_.loginItems);
    auto helperConfiguration = BatteryHelperOnboardingInstaller::configurationFor(paths_);
    if (options_.platform == PlatformKind::Linux)
        helperConfiguration.probeArguments = {QStringLiteral("-l")};
    helperInstaller_ = std::make_unique<BatteryHelperOnboardingInstaller>(std::move(helperConfiguration));
}

AppServices::~AppServices()
{
    if (telemetry_)
        VantrelActivityTelemetry::setShared(nullptr);
}

void AppServices::startTelemetry(std::function<bool()> foregroundEligibility)
{
    if (telemetry_)
        return;
    std::shared_ptr<ActivityUploader> uploader;
    if (const auto endpoint = TelemetryEndpoint::fromEnvironment())
        uploader = std::make_shared<HttpActivityUploader>(*dispatch_, *endpoint);
    NotificationCenter& center = NotificationCenter::defaultCenter();
    telemetry_ = std::make_shared<VantrelActivityTelemetry>(VantrelActivityTelemetry::Inputs{
        *dispatch_, *preferences_, center, paths_.appSupportFile(ActivityQueueFile::fileName),
        QStringLiteral(VANTREL_SHORT_VERSION), std::move(uploader)});
    VantrelActivityTelemetry::setShared(telemetry_);
    telemetry_->start(std::move(foregroundEligibility));

    if (auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        QObject::connect(gui, &QGuiApplication::applicationStateChanged, gui, [&center](Qt::ApplicationState state) {
            center.post(state == Qt::ApplicationActive ? VantrelActivityTelemetry::applicationDidBecomeActive
                                                       : VantrelActivityTelemetry::applicationDidResignActive);
        });
    }
    sleepSignals_ = std::make_unique<LogindSleepSignals>(center);
    std::weak_ptr<VantrelActivityTelemetry> weak = telemetry_;
    networkReachability_ = std::make_unique<NetworkReachability>([weak](bool isOnline) {
        if (auto telemetry = weak.lock())
            telemetry->networkStatusChanged(isOnline);
    });
}

void AppServices::buildModel()
{
    if (model_)
        return;
    model_ = std::make_unique<ModelServices>(
        ModelServices::Inputs{*dispatch_, *preferences_, daemon_, paths_, platform_, desktop_,
                              ModelServices::smcToolPath(paths_, QCoreApplication::applicationDirPath())});
    uiState_ = std::make_unique<UiState>();
    bindCapabilities(*uiState_, model_->capabilities());
    bindCentralState(*uiState_, model_->thermal());

    VantrelUpdateServiceSettings updates;
    updates.endpoint
        = UpdateEndpoint::fromEnvironment(QProcessEnvironment::systemEnvironment(), VANTREL_DEVELOPMENT_BUILD != 0);
    updates.installedVersion = QStringLiteral(VANTREL_SHORT_VERSION);
    updates.installedBundleVersion = QStringLiteral(VANTREL_BUILD_NUMBER);
    updates.stagingDirectory = VantrelUpdateService::stagingDirectory(paths_);
    if (auto os = platform_.operatingSystemVersion)
        updates.runningOSVersion = [os] { return os->macOSVersion(); };
    updateService_ = std::make_unique<VantrelUpdateService>(
        *dispatch_, daemon_, UpdateDownloadTransfer::factory(*dispatch_, updates.endpoint.caFile), updates);
    updateInstallation_ = std::make_unique<VantrelUpdateInstallation>(*dispatch_, *updateService_, daemon_);
}

void AppServices::startModel()
{
    buildModel();
    model_->start();
}

UiContext AppServices::uiContext(std::function<void()> quit)
{
    buildModel();
    UiContext context;
    context.dispatch = dispatch_.get();
    context.preferences = preferences_.get();
    context.daemon = daemon_;
    context.state = uiState_.get();
    context.activitySampler = model_->activitySampler();
    context.systemProfiler = platform_.systemProfiler;
    context.heatAlerts = &model_->heatAlerts();
    context.fan = {&model_->thermal().fan(), &model_->presets(), &model_->fanApplier(), &model_->fanObserver(),
                   &model_->thermal()};
    context.batteryPolicy = &model_->battery();
    context.powerSources = model_->powerSources();
    context.batteryTelemetry = model_->batteryTelemetry();
    context.onlyPowerEnergy = model_->onlyPowerEnergy();
    context.updates = updateInstallation_.get();
    context.workspace = desktop_.workspace;
    context.selectLanguage = [this](const QString& lang) { model_->thermal().setSelectedLanguage(lang); };
    context.sleepControls = std::make_shared<ModelSleepControls>(
        ModelSleepControls::Parts{model_->thermal(), model_->sleep(), model_->keepAlive(), model_->virtualDisplays(),
                                  model_->capabilities(), model_->powerSources()});
    context.quit = std::move(quit);
    return context;
}

QWidget* AppServices::makeRootView(std::function<void()> quit)
{
    UiContext context = uiContext(std::move(quit));
    context.capabilities = &model_->capabilities();
    if (!desktopColorScheme_)
        desktopColorScheme_ = std::make_unique<PortalColorSchemeSetting>();
    context.desktopColorScheme = desktopColorScheme_.get();
    auto* root = new VantrelRootView(std::move(context));
    if (!onboarding_)
        onboarding_ = std::make_unique<OnboardingGateModel>(*dispatch_, *preferences_, onboardingEnvironment());
    return new VantrelOnboardingGate(*onboarding_, root);
}

OnboardingEnvironment AppServices::onboardingEnvironment()
{
    ThermalManager* thermal = &model_->thermal();
    DarkKeepAlive* keepAlive = &model_->keepAlive();
    std::shared_ptr<AccessibilityAccess> accessibility = desktop_.accessibility;
    BatteryHelperOnboardingInstaller* installer = helperInstaller_.get();
    OnboardingEnvironment e;
    e.refreshAutomationAndAvailability = [thermal, keepAlive] {
        keepAlive->refreshAutomationStatus();
        thermal->checkDaemonAvailability();
    };
    e.refreshCentralState = [thermal, accessibility, refresh = e.refreshAutomationAndAvailability] {
        if (accessibility)
            thermal->setAccessibilityTrusted(accessibility->isProcessTrusted());
        refresh();
    };
    e.accessibilityTrusted = [thermal] { return thermal->accessibilityTrusted(); };
    e.openAccessibilitySettings = [keepAlive] { keepAlive->openAccessibilitySettings(); };
    e.selectLanguage = [thermal](const QString& lang) { thermal->setSelectedLanguage(lang); };
    e.helperReady = [installer] { return installer->isReady(); };
    e.installHelper = [installer](const QString& prompt) -> std::optional<QString> {
        if (const auto error = installer->install(prompt))
            return error->description();
        return std::nullopt;
    };
    return e;
}

void AppServices::writePagePictures(const QString& directory)
{
    const UiContext context = uiContext([] {});
    for (const QString& target : screenshotTargets()) {
        const QString file = directory + QLatin1Char('/') + target + QStringLiteral(".png");
        QString error;
        logLine(renderPageToPng(context, target, file, QString(), QString(), &error)
                    ? QStringLiteral("Vantrel: wrote ") + file
                    : QStringLiteral("Vantrel: could not write ") + file + QStringLiteral(": ") + error);
    }
}

bool AppServices::renderScreenshot(const LaunchOptions::Screenshot& request, QString* error)
{
    buildModel();
    model_->smc()->refreshAll();
    uiState_->setAllSensors(model_->smc()->cachedReadings());
    // The fan page shows the stored mode and curve, and whether fan control is available, as
    // the running model would.
    model_->thermal().fan().restoreStoredConfiguration(model_->presets());
    model_->capabilities().refresh();
    QElapsedTimer waited;
    waited.start();
    while (!model_->capabilities().isLoaded() && waited.elapsed() < 3000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    uiState_->setSupportsSafeFanControl(
        HardwareProfile::daemonProfile(daemon_->getHardwareProfile()).supportsSafeFanControl);
    return renderPageToPng(uiContext([] {}), request.pageId, request.file, request.lang, request.theme, error);
}

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
    AppLifecycleHooks hooks;
    hooks.launchAdmitted = [this] { buildModel(); };
    hooks.startTelemetry
        = [this](std::function<bool()> foregroundEligibility) { startTelemetry(std::move(foregroundEligibility)); };
    hooks.dashboardStateChanged = [this] {
        if (telemetry_)
            telemetry_->dashboardStateChanged();
    };
    hooks.terminateTelemetry = [this] {
        if (telemetry_)
            telemetry_->terminate();
    };
    if (!updateRelaunch_)
        updateRelaunch_ = std::make_unique<VantrelUpdateRelaunch>(*dispatch_, daemon_, *preferences_,
                                                                  QStringLiteral(VANTREL_SHORT_VERSION),
                                                                  QStringLiteral(VANTREL_BUILD_NUMBER));
    hooks.acknowledgePendingUpdateRelaunch = [this] { updateRelaunch_->acknowledgePendingUpdateRelaunch(); };
    hooks.presentPendingReleaseNotes = [this] {
        const auto notes = updateRelaunch_->takePendingReleaseNotes(VantrelUpdateReleaseNotes::loadBundled(),
                                                                    L10n::currentLanguage());
        if (!notes)
            return;
        QStringList lines;
        for (const QString& item : notes->items)
            lines << QStringLiteral("• ") + item;
        auto* box = new QMessageBox(QMessageBox::Information, notes->title, lines.join(QLatin1Char('\n')));
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
    };
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
        .hooks = std::move(hooks),
    };
}

} // namespace vantrel
