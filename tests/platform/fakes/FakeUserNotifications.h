#pragma once
// Records every notification request and grants permission; a delivery failure is scripted.
#include <mutex>
#include <optional>
#include <vector>

#include "platform/UserNotifications.h"

namespace vantrel::test {

class FakeUserNotifications final : public UserNotifications {
public:
    void requestAuthorization(AuthorizationHandler handler) override
    {
        if (handler)
            handler(true, std::nullopt);
    }
    void add(const UserNotificationRequest& request, DeliveryHandler handler) override
    {
        std::optional<QString> error;
        {
            std::lock_guard lock(mutex_);
            requests_.push_back(request);
            error = deliveryError_;
        }
        if (handler && answerDeliveries_)
            handler(error);
    }

    // Every later delivery fails with error (nothing: succeeds).
    void setDeliveryError(std::optional<QString> error)
    {
        std::lock_guard lock(mutex_);
        deliveryError_ = std::move(error);
    }
    // false: delivery handlers are never called, as with a service that does not answer.
    void setAnswerDeliveries(bool answer) { answerDeliveries_ = answer; }

    std::vector<UserNotificationRequest> requests() const
    {
        std::lock_guard lock(mutex_);
        return requests_;
    }

private:
    mutable std::mutex mutex_;
    std::optional<QString> deliveryError_;
    bool answerDeliveries_ = true;
    std::vector<UserNotificationRequest> requests_;
};

} // namespace vantrel::test
