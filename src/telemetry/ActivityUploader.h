#pragma once
// Carries one batch of usage events to the service and reports whether it was accepted.
#include <functional>

#include <QJsonArray>

namespace vantrel {

class ActivityUploader {
public:
    virtual ~ActivityUploader() = default;
    // batch: event objects without "wasSubmitted". The completion runs exactly once, on any thread.
    virtual void submit(const QJsonArray& batch, std::function<void(bool success)> completion) = 0;
};

} // namespace vantrel
