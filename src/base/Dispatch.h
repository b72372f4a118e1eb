#pragma once
// Queues, delayed work and timers. Every wait, retry and poll of the application goes
// through this interface so tests can swap in virtual time (VirtualDispatch).
#include <chrono>
#include <functional>
#include <memory>

#include <QPointer>
#include <QString>

#include "base/Clock.h"

namespace vantrel {

using Work = std::function<void()>;
using Duration = std::chrono::milliseconds;

inline constexpr Duration seconds(double s)
{
    return Duration(static_cast<long long>(s * 1000.0 + (s >= 0 ? 0.5 : -0.5)));
}

enum class QoS {
    Background,
    Utility,
    Default,
    UserInitiated,
    UserInteractive
};

// Handle for delayed work or a timer; cancelling is idempotent and thread-safe.
class Cancellable {
public:
    virtual ~Cancellable() = default;
    virtual void cancel() = 0;
    virtual bool isCancelled() const = 0;
};
using CancelToken = std::shared_ptr<Cancellable>;

class DispatchQueue {
public:
    virtual ~DispatchQueue() = default;
    virtual QString label() const = 0;
    virtual void async(Work work) = 0;
    // Runs work on this queue and returns when it has finished. Called from the queue
    // itself (or on a concurrent queue) the work runs inline on the calling thread.
    virtual void sync(Work work) = 0;
    // True while the calling code runs on this queue.
    virtual bool isCurrent() const = 0;
};
using QueuePtr = std::shared_ptr<DispatchQueue>;

class Dispatch {
public:
    virtual ~Dispatch() = default;
    virtual QueuePtr main() = 0;
    virtual QueuePtr global(QoS qos) = 0;
    virtual QueuePtr makeSerialQueue(const QString& label, QoS qos = QoS::Default) = 0;
    // Runs work once on queue after delay, unless cancelled first.
    virtual CancelToken after(const QueuePtr& queue, Duration delay, Work work) = 0;
    // Runs work on queue first after firstDelay, then every interval, until cancelled.
    // Leeway is how late a firing may be allowed to come (a hint for coalescing).
    virtual CancelToken every(const QueuePtr& queue, Duration interval, Duration leeway, Work work, Duration firstDelay)
        = 0;
    CancelToken every(const QueuePtr& queue, Duration interval, Duration leeway, Work work)
    {
        return every(queue, interval, leeway, std::move(work), interval);
    }
    virtual Clock& clock() = 0;
    // Blocks until the work already handed to the global queues has finished. Called at
    // shutdown, after the timers that feed them are cancelled and before the objects that
    // work uses are destroyed.
    virtual void waitForGlobalWork() = 0;
};

// Wraps work so that it does nothing once owner is gone: delayed work holds its owner weakly.
template <class T, class F> Work weakly(T* owner, F fn)
{
    QPointer<T> guard(owner);
    return [guard, fn = std::move(fn)]() mutable {
        if (T* strong = guard.data())
            fn(strong);
    };
}

template <class T, class F> Work weakly(const std::weak_ptr<T>& owner, F fn)
{
    return [owner, fn = std::move(fn)]() mutable {
        if (auto strong = owner.lock())
            fn(strong.get());
    };
}

} // namespace vantrel
