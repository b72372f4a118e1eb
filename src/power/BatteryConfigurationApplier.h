#pragma once
// Sends the stored battery policy to the daemon as one "set_battery_config", skipping a
// configuration the daemon has already accepted since the connection was last lost.
#include <functional>

#include <QObject>
#include <QString>

#include "power/BatteryConfigurationMemory.h"

namespace vantrel {

class BatteryPolicyState;
class DaemonClient;
class Dispatch;

class BatteryConfigurationApplier : public QObject, public BatteryConfigurationMemory {
    Q_OBJECT
public:
    using Completion = std::function<void(bool accepted)>;

    // hasBattery answers from the hardware capability store: true only for a loaded
    // profile that reports a battery.
    BatteryConfigurationApplier(BatteryPolicyState& state, DaemonClient& client, Dispatch& dispatch,
                                std::function<bool()> hasBattery, QObject* parent = nullptr);

    // Main thread. False when nothing was attempted (no battery); true when a send, or the
    // acknowledgement of a duplicate, was scheduled. The completion runs on the main thread
    // with true on acceptance or duplicate, false otherwise.
    bool applyBatteryConfigurationNow(const QString& reason, Completion completion = {});

    // Called by the availability check when the daemon is lost, so the next apply resends.
    void forgetAppliedSignature() override;

private:
    BatteryPolicyState& state_;
    DaemonClient& client_;
    Dispatch& dispatch_;
    std::function<bool()> hasBattery_;
};

} // namespace vantrel
