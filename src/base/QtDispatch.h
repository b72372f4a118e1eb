#pragma once
// The real dispatch backend: the main queue is the Qt event loop of the thread that
// created this object, global queues are thread pools, serial queues own one worker thread,
// and one scheduler thread releases delayed work and timer firings on time.
#include <memory>

#include "base/Dispatch.h"

namespace vantrel {

class QtDispatch final : public Dispatch {
public:
    QtDispatch();
    ~QtDispatch() override;

    QueuePtr main() override;
    QueuePtr global(QoS qos) override;
    QueuePtr makeSerialQueue(const QString& label, QoS qos = QoS::Default) override;
    CancelToken after(const QueuePtr& queue, Duration delay, Work work) override;
    CancelToken every(const QueuePtr& queue, Duration interval, Duration leeway, Work work,
                      Duration firstDelay) override;
    using Dispatch::every;
    Clock& clock() override;
    void waitForGlobalWork() override;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace vantrel
