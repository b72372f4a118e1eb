#pragma once
// Records every notification request; the permission answer and a delivery failure are scripted.
#include <mutex>
#include <optional>
#include <vector>

#include "platform/UserNotifications.h"

namespace vantrel::test {

class FakeUserNotifications final : public UserNotifications {
public:
    void requestAuthorization(AuthorizationHandler handler) override
    {
        std::lock_guard lock(mutex_);
        ++authorizationRequests_;
        if (handler)
            handler(granted_, authorizationError_);
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

    void setAuthorization(bool granted, std::optional<QString> error = std::nullopt)
    {
        std::lock_guard lock(mutex_);
        granted_ = granted;
        authorizationError_ = std::move(error);
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
    int authorizationRequests() const
    {
        std::lock_guard lock(mutex_);
        return authorizationRequests_;
    }

private:
    mutable std::mutex mutex_;
    bool granted_ = true;
    std::optional<QString> authorizationError_;
    std::optional<QString> deliveryError_;
    bool answerDeliveries_ = true;
    std::vector<UserNotificationRequest> requests_;
    int authorizationRequests_ = 0;
};

} // namespace vantrel::test
