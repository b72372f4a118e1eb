#pragma once
// What the sleep runtime reconciliation drives on the keep-awake controller: its assertions,
// the display-only stay-awake override, the lid-open lock monitor and the lid state.
// Main thread.

namespace vantrel {

class KeepAliveController {
public:
    virtual ~KeepAliveController() = default;
    // 0 standard (system + display assertions), 1 extended (system + idle assertions).
    virtual void start(int mode) = 0;
    virtual void stop(bool preserveLidOpenMonitor) = 0;
    virtual void preventDisplaySleep(bool enabled) = 0;
    virtual void updateLidOpenLockMonitoring(bool enabled) = 0;
    virtual bool readClamshellClosed() = 0;
    virtual bool isActive() const = 0;
};

} // namespace vantrel
