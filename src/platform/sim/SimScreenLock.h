#pragma once
// Locking the simulated Mac's screen: the request goes to vantrel-sim ("sim_platform", action
// "lock_screen"), whose state counts it as "screen_lock_requests".
#include <memory>

#include <QJsonObject>

#include "daemon/DaemonTransport.h"
#include "platform/ScreenLock.h"

namespace vantrel {

class SimScreenLock final : public ScreenLock {
public:
    explicit SimScreenLock(std::shared_ptr<DaemonTransport> transport);
    ScreenLockResult lockScreen() override;

    static QJsonObject simRequest();

private:
    std::shared_ptr<DaemonTransport> transport_;
};

} // namespace vantrel
