#include "core/ThermalManager.h"

#include <QUuid>

#include "base/Log.h"
#include "base/Preferences.h"
#include "core/SettingsSynchroniser.h"
#include "core/TextCommandBridge.h"
#include "daemon/DaemonClient.h"
#include "fan/FanControlState.h"
#include "fan/FanCurveObserver.h"
#include "l10n/L10n.h"
#include "platform/AccessibilityAccess.h"
#include "platform/UserNotifications.h"
#include "platform/Workspace.h"
#include "sensors/SensorSource.h"
#include "sleep/KeepAwakeMonitor.h"
#include "sleep/SleepSettingsState.h"

namespace vantrel {
namespace {
ThermalManager* sharedInstance = nullptr;
}

ThermalManager* ThermalManager::shared() { return sharedInstance; }
void ThermalManager::setShared(ThermalManager* manager) { sharedInstance = manager; }

ThermalManager::ThermalManager(Services services, Collaborators collaborators, QObject* parent)
    : QObject(parent)
    , services_(std::move(services))
    , parts_(collaborators)
    , sleep_(std::make_unique<SleepSettingsState>(services_.preferences))
    , textBridge_(std::make_unique<TextCommandBridge>(services_.daemon, services_.dispatch,
                                                      [this] { return sleep_->sleepBatteryCutoffPercent(); }))
    , throttle_([this](const QString& command) { sendToDaemon(command); })
{ }

ThermalManager::~ThermalManager()
{
    stop();
    if (sharedInstance == this)
        sharedInstance = nullptr;
}

void ThermalManager::start()
{
    restoreStoredSettings();
    startAppHeartbeat();
    startRealMonitoring();
    services_.dispatch.global(QoS::UserInitiated)->async(weakly(this, [](ThermalManager* self) {
        self->runStartupSequence();
    }));
}

void ThermalManager::stop()
{
    if (timer_)
        timer_->cancel();
    if (heartbeatTimer_)
        heartbeatTimer_->cancel();
}

void ThermalManager::restoreStoredSettings()
{
    auto& prefs = services_.preferences;
    if (auto v = prefs.optionalBool(QStringLiteral("automationPermissionRequested")))
        setAutomationPermissionRequested(*v);
    if (auto v = prefs.optionalBool(QStringLiteral("appNapSuppressionEnabled")))
        setAppNapSuppressionEnabled(*v);
    if (auto v = prefs.optionalString(QStringLiteral("selectedLanguage")); v && !v->isEmpty()) {
        setSelectedLanguage(*v);
    } else {
        // Not stored: the system's language decides, and keeps deciding until the user chooses.
        selectedLanguage_ = L10n::defaultLanguage(services_.systemLanguages);
        L10n::setCurrentLanguage(selectedLanguage_);
        Q_EMIT selectedLanguageChanged();
    }
    if (auto v = prefs.optionalBool(QStringLiteral("useFahrenheit")))
        setUseFahrenheit(*v);
    sleep_->restore();
    // The fan state restored its own keys when it was made; presets, curves and the
    // observation analysis come next, then the lid-open lock follows the restored setting.
    parts_.fan.restoreStoredConfiguration(parts_.presets);
    parts_.fanObserver.refreshMacOSFanCurveAnalysis();
    parts_.keepAwake.updateLidOpenLockMonitoring(sleep_->lockOnLidOpenEnabled());
}

void ThermalManager::runStartupSequence()
{
    // Background, user-initiated priority: one sensor read published before the loop's first tick.
    SensorSample sample = parts_.sensors.readSensors();
    services_.dispatch.main()->async(weakly(this, [sample = std::move(sample)](ThermalManager* self) {
        self->cpuTemperature_ = sample.cpuTemperature;
        self->fan0RPM_ = sample.fan0;
        self->fan1RPM_ = sample.fan1;
        self->currentFanRPM_ = std::max(sample.fan0, sample.fan1);
        self->allSensors_ = sample.readings;
        Q_EMIT self->readingsChanged();
        Q_EMIT self->allSensorsChanged();
    }));
    services_.dispatch.after(services_.dispatch.main(), seconds(1.0), weakly(this, [](ThermalManager* self) {
                                 self->setAccessibilityTrusted(self->parts_.accessibility.isProcessTrusted());
                                 self->parts_.keepAwake.refreshAutomationStatus();
                                 self->checkDaemonAvailability();
                                 self->services_.daemon.sendAppHeartbeat();
                                 self->parts_.settingsSync.reconcileDaemonCanonicalUserSettings(
                                     QStringLiteral("startup"));
                             }));
}

void ThermalManager::setAccessibilityTrusted(bool trusted)
{
    if (accessibilityTrusted_ == trusted)
        return;
    accessibilityTrusted_ = trusted;
    Q_EMIT accessibilityTrustedChanged();
}

void ThermalManager::setAutomationPermissionRequested(bool requested)
{
    if (automationPermissionRequested_ == requested)
        return;
    automationPermissionRequested_ = requested;
    Q_EMIT automationChanged();
}

void ThermalManager::setAutomationAuthorized(bool authorized)
{
    if (automationAuthorized_ == authorized)
        return;
    automationAuthorized_ = authorized;
    Q_EMIT automationChanged();
}

void ThermalManager::setAutomationStatusText(const QString& text)
{
    if (automationStatusText_ == text)
        return;
    automationStatusText_ = text;
    Q_EMIT automationChanged();
}

void ThermalManager::setAppNapSuppressionEnabled(bool enabled)
{
    services_.preferences.setValue(QStringLiteral("appNapSuppressionEnabled"), enabled);
    if (appNapSuppressionEnabled_ == enabled)
        return;
    appNapSuppressionEnabled_ = enabled;
    Q_EMIT appNapSuppressionEnabledChanged();
}

void ThermalManager::setSelectedLanguage(const QString& language)
{
    services_.preferences.setValue(QStringLiteral("selectedLanguage"), language);
    L10n::setCurrentLanguage(language);
    if (selectedLanguage_ == language)
        return;
    selectedLanguage_ = language;
    Q_EMIT selectedLanguageChanged();
}

void ThermalManager::setUseFahrenheit(bool enabled)
{
    services_.preferences.setValue(QStringLiteral("useFahrenheit"), enabled);
    if (useFahrenheit_ == enabled)
        return;
    useFahrenheit_ = enabled;
    Q_EMIT useFahrenheitChanged();
}

void ThermalManager::sendToDaemon(const QString& command) { textBridge_->sendToDaemon(command); }

void ThermalManager::sendNotification(const QString& title, const QString& body)
{
    if (services_.preferences.optionalBool(QStringLiteral("showNotifications")) == false)
        return;
    if (!services_.notifications)
        return;
    UserNotificationRequest request;
    request.identifier = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    request.title = title;
    request.body = body;
    services_.notifications->add(request, [](const std::optional<QString>& error) {
        if (error)
            logLine(QStringLiteral("Failed to send notification: ") + *error);
    });
}

bool ThermalManager::openSystemSettingsPane(const QString& urlText)
{
    const QUrl url(urlText, QUrl::StrictMode);
    if (!url.isValid() || url.scheme().isEmpty() || !services_.workspace)
        return false;
    return services_.workspace->openUrl(url);
}

void ThermalManager::reconcileAppNapActivity()
{
    std::lock_guard lock(appNapActivityLock_);
    if (!services_.processActivity)
        return;
    if (appNapSuppressionEnabled_ && appNapActivity_ == 0) {
        appNapActivity_ = services_.processActivity->beginActivity(ProcessActivity::userInitiatedOptions,
                                                                   QStringLiteral("Vantrel App Nap suppression"));
    } else if (!appNapSuppressionEnabled_ && appNapActivity_ != 0) {
        services_.processActivity->endActivity(appNapActivity_);
        appNapActivity_ = 0;
    }
}

bool ThermalManager::appNapActivityHeld() const
{
    std::lock_guard lock(appNapActivityLock_);
    return appNapActivity_ != 0;
}

} // namespace vantrel
