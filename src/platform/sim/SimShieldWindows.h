#pragma once
// The shield of the simulated Mac: its screens come from the simulator's hardware file (a
// MacBook has its built-in panel, plus the external displays attached), and showing or hiding
// the shield is reported to vantrel-sim ("sim_platform", action "set_shield_visible") so that
// its state shows "shield_visible". Reports go out in order on their own queue, never blocking
// the caller.
#include <atomic>
#include <memory>

#include "base/Dispatch.h"
#include "daemon/DaemonTransport.h"
#include "platform/ShieldWindows.h"
#include "platform/sim/SimHardwareState.h"

namespace vantrel {

class SimShieldWindows final : public ShieldWindows {
public:
    SimShieldWindows(Dispatch& dispatch, std::shared_ptr<DaemonTransport> transport, QString stateDirectory);

    std::vector<ShieldScreen> screens() const override;
    int show(const std::vector<ShieldScreen>& screens) override;
    void hide() override;

    static QJsonObject simRequest(bool visible);

private:
    void report(bool visible);

    std::shared_ptr<DaemonTransport> transport_;
    SimHardwareState hardware_;
    QueuePtr reports_;
    int shown_ = 0;
    std::shared_ptr<std::atomic<bool>> reportedUnrecorded_ = std::make_shared<std::atomic<bool>>(false);
};

} // namespace vantrel
