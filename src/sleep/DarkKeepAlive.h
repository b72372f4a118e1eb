#pragma once
// Keeps the Mac awake for the user: holds the power assertions of the chosen mode, watches the
// lid four times a second while keep-alive or the lid-open lock needs it, and on each lid edge
// drops or restores the display assertions, asks the built-in panel to sleep, pre-arms the
// safety shield and locks the screen when the lid opens. The sleep reconciliation decides when
// it runs. Every field lives on the main thread: the lid is read on a background queue and the
// reading is handed back to the main queue.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>

#include "base/Dispatch.h"
#include "base/Paths.h"
#include "platform/AccessibilityAccess.h"
#include "platform/LidState.h"
#include "platform/PowerAssertions.h"
#include "platform/ProcessRunner.h"
#include "platform/ScreenLock.h"
#include "platform/Workspace.h"
#include "sleep/KeepAliveController.h"
#include "sleep/KeepAwakeMonitor.h"

namespace vantrel {

class AutomationStatusSink;
class Preferences;
class SafetyLockShieldController;
class VirtualDisplayManager;

class DarkKeepAlive final : public QObject, public KeepAliveController, public KeepAwakeMonitor {
    Q_OBJECT
public:
    static constexpr Duration clamshellPollInterval{250};
    static constexpr Duration displaySleepRequestDebounce{1000};
    static constexpr double safetyShieldReleaseDelay = 1.25;
    static constexpr Duration processPollInterval{50};
    static constexpr const char* keepAliveAssertionName = "Vantrel Keep-Alive";
    static constexpr const char* stayAwakeAssertionName = "Vantrel Stay Awake";
    static constexpr const char* accessibilitySettingsUrl
        = "x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility";

    struct Platform {
        std::shared_ptr<PowerAssertions> assertions;
        std::shared_ptr<ScreenLock> screenLock;
        std::shared_ptr<LidState> lid;
        std::shared_ptr<ProcessRunner> processRunner;
        std::shared_ptr<AccessibilityAccess> accessibility;
        std::shared_ptr<Workspace> workspace; // may be null: the settings pane is not opened
    };
    // The central state's sleep flags read here (main thread); a flag not handed over is off.
    struct SleepFlags {
        std::function<bool()> displayKeepAliveEnabled;
        std::function<bool()> virtualDisplayEnabled;

        bool displayKeepAlive() const { return displayKeepAliveEnabled && displayKeepAliveEnabled(); }
        bool virtualDisplay() const { return virtualDisplayEnabled && virtualDisplayEnabled(); }
    };
    struct Collaborators {
        SafetyLockShieldController& shield;
        VirtualDisplayManager& virtualDisplay;
    };

    DarkKeepAlive(Dispatch& dispatch, Preferences& preferences, const Paths& paths, Platform platform,
                  Collaborators collaborators, SleepFlags flags, QObject* parent = nullptr);
    ~DarkKeepAlive() override;

    // KeepAliveController (main thread)
    void start(int mode) override;
    void stop(bool preserveLidOpenMonitor) override;
    void preventDisplaySleep(bool enabled) override;
    void updateLidOpenLockMonitoring(bool enabled) override;
    // The lid now; the last state the monitor saw when it cannot be read.
    bool readClamshellClosed() override;
    bool isActive() const override { return isActive_; }

    // KeepAwakeMonitor: without accessibility trust the automation is reported as needing it
    // first; otherwise "System Events" is probed and the outcome published.
    void refreshAutomationStatus() override;

    // The central state's published automation status; set once by the composition root.
    void setAutomationStatusSink(std::shared_ptr<AutomationStatusSink> sink) { automationSink_ = std::move(sink); }
    // Probes on a utility queue; completion runs on the main queue (false once this is gone).
    void checkSystemEventsAutomationPermission(std::function<void(bool)> completion);
    // Opens the accessibility pane, then re-reads trust and automation and checks the daemon
    // 1, 3 and 6 seconds later.
    void openAccessibilitySettings();

    // Runs path with arguments, polling every 50 ms through the dispatch layer; past timeout
    // seconds the program is terminated. completion(ok) runs on the polling queue: false for a
    // launch failure, a time-out or a non-zero exit (only that last one's log depends on logFailure).
    void runProcess(const QString& path, const QStringList& arguments, double timeout, bool logFailure,
                    std::function<void(bool)> completion);

    // "safetyShieldEnabled" from the preferences, read at every use; true when absent.
    bool safetyShieldEnabled() const;

    int currentMode() const { return currentMode_; }
    bool isClamshellMonitorRunning() const { return isClamshellMonitorRunning_; }
    bool isLidClosed() const { return isLidClosed_; }
    bool lockOnLidOpenMonitorEnabled() const { return lockOnLidOpenMonitorEnabled_; }
    bool isLidSwitchHeld() const { return lidSwitchHeld_; }
    PowerAssertionId systemSleepAssertionId() const { return systemSleepAssertionID_; }
    PowerAssertionId idleSleepAssertionId() const { return idleSleepAssertionID_; }
    PowerAssertionId displaySleepAssertionId() const { return displaySleepAssertionID_; }
    PowerAssertionId stayAwakeAssertionId() const { return stayAwakeAssertionID_; }

private:
    void startClamshellMonitor(std::optional<bool> lockOnOpen);
    void stopClamshellMonitor();
    void checkClamshellState(std::optional<bool> reading);
    void lidClosed();
    void lidOpened();
    void restoreOpenLidDisplayAssertionsIfNeeded();
    void requestDisplaySleepNowForLidClose();
    void prepareSafetyShieldForClosedLidIfNeeded();
    void lockScreenThenReleaseSafetyShield();
    void syncLidSwitchHold();
    void recheckAccessibility();

    void createAssertion(PowerAssertionId& slot, const char* type, const char* name);
    void releaseAssertion(PowerAssertionId& slot);
    bool virtualDisplayPresent() const;
    void appendDebugLog(const QString& message) const;

    Dispatch& dispatch_;
    Preferences& preferences_;
    QString logPath_;
    Platform platform_;
    Collaborators parts_;
    SleepFlags flags_;
    std::shared_ptr<AutomationStatusSink> automationSink_;

    PowerAssertionId systemSleepAssertionID_ = 0;
    PowerAssertionId idleSleepAssertionID_ = 0;
    PowerAssertionId displaySleepAssertionID_ = 0;
    bool isActive_ = false;
    int currentMode_ = 1;
    CancelToken clamshellTimer_;
    bool isClamshellMonitorRunning_ = false;
    bool isLidClosed_ = false;
    bool lockOnLidOpenMonitorEnabled_ = false;
    std::optional<QDateTime> lastLidCloseDisplaySleepRequestAt_;
    PowerAssertionId stayAwakeAssertionID_ = 0;
    // Readings posted by a monitor that has since been stopped or restarted are dropped.
    std::uint64_t monitorGeneration_ = 0;
    bool lidSwitchHeld_ = false;
};

} // namespace vantrel
