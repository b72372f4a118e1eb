#pragma once
// Notifications of the simulated Mac: each one is handed to vantrel-sim ("sim_platform",
// action "post_notification") so tests and demos can see what the app posted. Every request is
// also kept here, which is the record when the simulator does not take it.
#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

#include "base/Dispatch.h"
#include "daemon/DaemonTransport.h"
#include "platform/UserNotifications.h"

namespace vantrel {

class SimUserNotifications final : public UserNotifications {
public:
    SimUserNotifications(Dispatch& dispatch, std::shared_ptr<DaemonTransport> transport);

    void requestAuthorization(AuthorizationHandler handler) override;
    void add(const UserNotificationRequest& request, DeliveryHandler handler) override;

    std::vector<UserNotificationRequest> posted() const;
    static QJsonObject simRequest(const UserNotificationRequest& request);

private:
    Dispatch& dispatch_;
    std::shared_ptr<DaemonTransport> transport_;
    mutable std::mutex mutex_;
    std::vector<UserNotificationRequest> posted_;
    // Shared with queued work, which may outlive this object.
    std::shared_ptr<std::atomic<bool>> reportedUnrecorded_ = std::make_shared<std::atomic<bool>>(false);
};

} // namespace vantrel
