#pragma once
// What the central state needs of the keep-awake and clamshell monitor: the lid-open lock
// monitoring after the settings are restored, and the automation status at start-up.
namespace vantrel {

class KeepAwakeMonitor {
public:
    virtual ~KeepAwakeMonitor() = default;
    virtual void updateLidOpenLockMonitoring(bool enabled) = 0;
    virtual void refreshAutomationStatus() = 0;
};

} // namespace vantrel
