#pragma once
// Sends the whole current fan configuration to the daemon in the background
// (the earlier-version fan settings replay uses it).
#include <functional>

#include <QObject>
#include <QString>

namespace vantrel {

class DaemonClient;
class Dispatch;
class FanControlState;

class FanConfigurationApplier : public QObject {
    Q_OBJECT
public:
    // supportsSafeFanControl: the hardware capability profile's flag, read at each apply.
    FanConfigurationApplier(FanControlState& state, DaemonClient& client, Dispatch& dispatch,
                            std::function<bool()> supportsSafeFanControl, QObject* parent = nullptr);

    // Call on the main thread. Without safe fan control returns false and does nothing. Otherwise
    // snapshots the configuration now, sends "set_fan_config" on the user-initiated queue, logs
    // "Vantrel fan sync (<reason>): …" and calls completion on the main queue with the outcome;
    // returns true once the send is queued.
    bool applyFanConfigurationNow(const QString& reason, std::function<void(bool)> completion = {});

private:
    FanControlState& state_;
    DaemonClient& client_;
    Dispatch& dispatch_;
    std::function<bool()> supportsSafeFanControl_;
};

} // namespace vantrel
