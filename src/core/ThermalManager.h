#pragma once
// The application's one observable model object: live readings, daemon availability, the
// user's core settings, and (through its parts) fan, battery and sleep state. It runs the
// 1-second monitoring loop and the 5-second daemon heartbeat; what the loop and the heartbeat
// call into elsewhere is named in Collaborators.
#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include <QDateTime>
#include <QLocale>
#include <QObject>

#include "base/Dispatch.h"
#include "base/Paths.h"
#include "core/SurvivalThrottle.h"
#include "core/ThrottleLevelRule.h"
#include "fan/LLMState.h"
#include "platform/ProcessActivity.h"
#include "sensors/HistoryDataPoint.h"
#include "sensors/SensorReading.h"

namespace vantrel {

class AccessibilityAccess;
class BatteryConfigurationMemory;
class CapabilityGate;
class DaemonClient;
class EvidenceRecorder;
class FanControlState;
class FanCurveObserver;
class FanPresetStore;
class KeepAwakeMonitor;
class LanguageModelScanner;
class Preferences;
class SensorSource;
class SettingsSynchroniser;
class SleepReconciler;
class SleepSettingsState;
class TextCommandBridge;
class UserNotifications;
class Workspace;

class ThermalManager : public QObject {
    Q_OBJECT
    Q_PROPERTY(double cpuTemperature READ cpuTemperature NOTIFY readingsChanged)
    Q_PROPERTY(double gpuTemperature READ gpuTemperature NOTIFY readingsChanged)
    Q_PROPERTY(double vramTemperature READ vramTemperature NOTIFY readingsChanged)
    Q_PROPERTY(double batteryTemperature READ batteryTemperature NOTIFY readingsChanged)
    Q_PROPERTY(int currentFanRPM READ currentFanRPM NOTIFY readingsChanged)
    Q_PROPERTY(int fan0RPM READ fan0RPM NOTIFY readingsChanged)
    Q_PROPERTY(int fan1RPM READ fan1RPM NOTIFY readingsChanged)
    Q_PROPERTY(bool daemonAvailable READ daemonAvailable NOTIFY daemonAvailableChanged)
    Q_PROPERTY(QString daemonStatusText READ daemonStatusText NOTIFY daemonStatusTextChanged)
    Q_PROPERTY(QDateTime runtimeLastCheckedAt READ runtimeLastCheckedAt NOTIFY daemonStatusTextChanged)
    Q_PROPERTY(bool accessibilityTrusted READ accessibilityTrusted WRITE setAccessibilityTrusted NOTIFY
                   accessibilityTrustedChanged)
    Q_PROPERTY(bool automationPermissionRequested READ automationPermissionRequested WRITE
                   setAutomationPermissionRequested NOTIFY automationChanged)
    Q_PROPERTY(
        bool automationAuthorized READ automationAuthorized WRITE setAutomationAuthorized NOTIFY automationChanged)
    Q_PROPERTY(
        QString automationStatusText READ automationStatusText WRITE setAutomationStatusText NOTIFY automationChanged)
    Q_PROPERTY(bool appNapSuppressionEnabled READ appNapSuppressionEnabled WRITE setAppNapSuppressionEnabled NOTIFY
                   appNapSuppressionEnabledChanged)
    Q_PROPERTY(QString selectedLanguage READ selectedLanguage WRITE setSelectedLanguage NOTIFY selectedLanguageChanged)
    Q_PROPERTY(bool useFahrenheit READ useFahrenheit WRITE setUseFahrenheit NOTIFY useFahrenheitChanged)

public:
    struct Services {
        Dispatch& dispatch;
        Preferences& preferences;
        DaemonClient& daemon;
        Paths paths;
        std::shared_ptr<UserNotifications> notifications; // may be null: nothing is posted
        std::shared_ptr<ProcessActivity> processActivity; // may be null: App Nap is not managed
        std::shared_ptr<Workspace> workspace; // may be null: settings panes are not opened
        // The user's system languages, most preferred first: they choose the language until
        // the user picks one.
        QStringList systemLanguages = QLocale::system().uiLanguages();
    };

    // The parts of other areas the central state calls, in the order the loop meets them. They
    // outlive the manager; features not built yet are passed as their inert stand-ins.
    struct Collaborators {
        FanControlState& fan; // the fan model's published state
        const FanPresetStore& presets; // presets and active curves restored at start
        FanCurveObserver& fanObserver; // analysis at start, one sample per tick
        KeepAwakeMonitor& keepAwake; // lid-open lock monitoring, automation status
        SensorSource& sensors; // one read per tick, off the main thread
        LanguageModelScanner& languageModels; // every sixth tick, off the main thread
        SleepReconciler& sleepRuntime; // every tick and after sleep setting changes
        EvidenceRecorder& evidence; // once a minute from the heartbeat
        CapabilityGate& capabilities; // availability transitions and heartbeat probe
        BatteryConfigurationMemory& batteryConfiguration; // forgotten when the daemon is lost
        SettingsSynchroniser& settingsSync; // start-up reconcile, heartbeat probe, reset on loss
        AccessibilityAccess& accessibility; // trust read at start-up
    };

    ThermalManager(Services services, Collaborators collaborators, QObject* parent = nullptr);
    ~ThermalManager() override;

    // Restores the stored settings (construction steps 1-4); start() then runs steps 5-7.
    void start();
    // Cancels the monitoring loop and the heartbeat (shutdown); ticks already dispatched finish.
    void stop();

    // The process-wide instance the composition root registers (null before).
    static ThermalManager* shared();
    static void setShared(ThermalManager* manager);

    FanControlState& fan() { return parts_.fan; }
    SleepSettingsState& sleep() { return *sleep_; }
    SurvivalThrottle& throttle() { return throttle_; }

    double cpuTemperature() const { return cpuTemperature_; }
    double gpuTemperature() const { return gpuTemperature_; }
    double vramTemperature() const { return vramTemperature_; }
    double batteryTemperature() const { return batteryTemperature_; }
    int currentFanRPM() const { return currentFanRPM_; }
    int fan0RPM() const { return fan0RPM_; }
    int fan1RPM() const { return fan1RPM_; }
    const std::vector<SensorReading>& allSensors() const { return allSensors_; }
    const std::vector<HistoryDataPoint>& historyData() const { return historyData_; }
    bool daemonAvailable() const { return daemonAvailable_; }
    QString daemonStatusText() const { return daemonStatusText_; }
    QDateTime runtimeLastCheckedAt() const { return runtimeLastCheckedAt_; }
    bool accessibilityTrusted() const { return accessibilityTrusted_; }
    bool automationPermissionRequested() const { return automationPermissionRequested_; }
    bool automationAuthorized() const { return automationAuthorized_; }
    QString automationStatusText() const { return automationStatusText_; }
    bool appNapSuppressionEnabled() const { return appNapSuppressionEnabled_; }
    QString selectedLanguage() const { return selectedLanguage_; }
    bool useFahrenheit() const { return useFahrenheit_; }
    int highTempDuration() const { return throttleRule_.highTempDuration(); }
    const std::vector<LLMProcess>& cachedProcesses() const { return cachedProcesses_; }

    void setAccessibilityTrusted(bool trusted);
    void setAutomationPermissionRequested(bool requested);
    void setAutomationAuthorized(bool authorized);
    void setAutomationStatusText(const QString& text);
    void setAppNapSuppressionEnabled(bool enabled);
    void setSelectedLanguage(const QString& language);
    void setUseFahrenheit(bool enabled);

    // Asks the daemon for its status and updates availability (and its transitions).
    void checkDaemonAvailability();
    // Fire-and-forget text command ("BCLM 80", "RPM 0" …) to the daemon.
    void sendToDaemon(const QString& command);
    // Posts a user notification unless "showNotifications" is stored as false.
    void sendNotification(const QString& title, const QString& body);
    // Begins or ends App Nap suppression to match appNapSuppressionEnabled.
    void reconcileAppNapActivity();
    bool appNapActivityHeld() const;
    // Opens a system settings pane by its URL text; false when the text is not a valid URL or
    // nothing could open it.
    bool openSystemSettingsPane(const QString& urlText);

    static QString statusText(const std::optional<struct DaemonStatus>& status);

Q_SIGNALS:
    // One signal for everything a tick publishes together.
    void readingsChanged();
    void historyDataChanged();
    void allSensorsChanged();
    void daemonAvailableChanged();
    void daemonStatusTextChanged();
    void accessibilityTrustedChanged();
    void automationChanged();
    void appNapSuppressionEnabledChanged();
    void selectedLanguageChanged();
    void useFahrenheitChanged();

private:
    struct TickResult;
    void restoreStoredSettings();
    void startAppHeartbeat();
    void startRealMonitoring();
    void runStartupSequence();
    void tickBackground();
    void tickMain(const TickResult& result);
    void heartbeatFired();
    void applyAvailability(const std::optional<struct DaemonStatus>& status);
    void triggerSurvivalMode(double temperature);

    Services services_;
    Collaborators parts_;
    std::unique_ptr<SleepSettingsState> sleep_;
    std::unique_ptr<TextCommandBridge> textBridge_;
    SurvivalThrottle throttle_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);

    double cpuTemperature_ = 45.0;
    double gpuTemperature_ = 40.0;
    double vramTemperature_ = 40.0;
    double batteryTemperature_ = 30.0;
    int currentFanRPM_ = 0;
    int fan0RPM_ = 0;
    int fan1RPM_ = 0;
    std::vector<SensorReading> allSensors_;
    std::vector<HistoryDataPoint> historyData_;
    bool daemonAvailable_ = false;
    QString daemonStatusText_ = QStringLiteral("Not checked");
    QDateTime runtimeLastCheckedAt_;
    bool accessibilityTrusted_ = false;
    bool automationPermissionRequested_ = false;
    bool automationAuthorized_ = false;
    QString automationStatusText_ = QStringLiteral("Not checked");
    bool appNapSuppressionEnabled_ = false;
    QString selectedLanguage_ = QStringLiteral("en");
    bool useFahrenheit_ = false;

    CancelToken timer_;
    CancelToken heartbeatTimer_;
    // A firing that comes while the previous one still waits for the daemon is skipped, so
    // the counter is only ever touched by one firing at a time.
    std::atomic<bool> heartbeatRunning_{false};
    int heartbeatCounter_ = 0;
    // Touched only by tick bodies, which the main-thread timer starts one per second.
    std::mutex tickMutex_;
    int llmCheckCounter_ = 0;
    std::vector<LLMProcess> cachedProcesses_;
    ThrottleLevelRule throttleRule_;
    mutable std::mutex appNapActivityLock_;
    ProcessActivity::Token appNapActivity_ = 0;
    std::optional<bool> lastDaemonConnectionState_;
};

} // namespace vantrel
