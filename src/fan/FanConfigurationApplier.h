#pragma once
// Sends fan configurations to the daemon when the hardware allows safe fan control: the whole
// current configuration in the background (the earlier-version fan settings replay), or one
// request synchronously for the fan screen's operations.
#include <functional>

#include <QObject>
#include <QString>

namespace vantrel {

class DaemonClient;
class Dispatch;
class FanControlState;
struct FanConfigRequest;

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

    // The capability profile's supportsSafeFanControl, read now.
    bool fanControlsAvailable() const;
    // Sends request on the calling thread and waits for the reply; false when fan control is
    // unavailable (nothing is sent) or the daemon did not accept it.
    bool sendNow(const FanConfigRequest& request);

private:
    FanControlState& state_;
    DaemonClient& client_;
    Dispatch& dispatch_;
    std::function<bool()> supportsSafeFanControl_;
};

} // namespace vantrel
