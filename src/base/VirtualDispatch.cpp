#include "base/VirtualDispatch.h"

#include <atomic>
#include <deque>
#include <map>
#include <mutex>
#include <stdexcept>
#include <vector>

namespace vantrel {

QDateTime VirtualClock::now() const { return wallOrigin_.addMSecs(elapsed_.count()); }
double VirtualClock::uptimeSeconds() const { return 1000.0 + elapsed_.count() / 1000.0; }
void VirtualClock::setWallTime(const QDateTime& wall) { wallOrigin_ = wall.addMSecs(-elapsed_.count()); }
void VirtualClock::advance(Duration d) { elapsed_ += d; }

namespace {

class VirtualQueue;
thread_local std::vector<const DispatchQueue*> tlsRunning;

class VirtualQueue final : public DispatchQueue {
public:
    VirtualQueue(QString label, bool concurrent, std::recursive_mutex& mutex)
        : label_(std::move(label))
        , concurrent_(concurrent)
        , mutex_(mutex)
    { }
    QString label() const override { return label_; }
    void async(Work work) override
    {
        std::lock_guard lock(mutex_);
        items_.push_back(std::move(work));
    }
    void sync(Work work) override
    {
        if (!concurrent_ && !isCurrent()) {
            // A serial queue finishes its backlog before the synchronous item.
            while (runOne()) { }
        }
        tlsRunning.push_back(this);
        work();
        tlsRunning.pop_back();
    }
    bool isCurrent() const override
    {
        for (auto* q : tlsRunning)
            if (q == this)
                return true;
        return false;
    }
    bool runOne()
    {
        Work next;
        {
            std::lock_guard lock(mutex_);
            if (items_.empty())
                return false;
            next = std::move(items_.front());
            items_.pop_front();
        }
        tlsRunning.push_back(this);
        next();
        tlsRunning.pop_back();
        return true;
    }

private:
    QString label_;
    bool concurrent_;
    std::recursive_mutex& mutex_;
    std::deque<Work> items_;
};

struct VirtualTimer final : Cancellable {
    std::weak_ptr<DispatchQueue> queue;
    Work work;
    Duration interval{0};
    std::atomic<bool> cancelled{false};
    void cancel() override { cancelled = true; }
    bool isCancelled() const override { return cancelled; }
};

} // namespace

struct VirtualDispatch::Impl {
    std::recursive_mutex mutex;
    VirtualClock clock;
    std::shared_ptr<VirtualQueue> mainQueue;
    std::vector<std::shared_ptr<VirtualQueue>> globals;
    std::vector<std::weak_ptr<VirtualQueue>> serials;
    // Ordered by deadline, then by arming order, so equal deadlines fire first-in first-out.
    std::multimap<std::pair<long long, unsigned long long>, std::shared_ptr<VirtualTimer>> timers;
    unsigned long long sequence = 0;

    void arm(long long deadline, std::shared_ptr<VirtualTimer> t)
    {
        std::lock_guard lock(mutex);
        timers.emplace(std::make_pair(deadline, sequence++), std::move(t));
    }
};

VirtualDispatch::VirtualDispatch()
    : d(std::make_unique<Impl>())
{
    d->mainQueue = std::make_shared<VirtualQueue>(QStringLiteral("main"), false, d->mutex);
    for (const char* name : {"background", "utility", "default", "user-initiated", "user-interactive"})
        d->globals.push_back(std::make_shared<VirtualQueue>(QString::fromLatin1(name), true, d->mutex));
}

VirtualDispatch::~VirtualDispatch() = default;

QueuePtr VirtualDispatch::main() { return d->mainQueue; }
QueuePtr VirtualDispatch::global(QoS qos) { return d->globals.at(static_cast<size_t>(qos)); }

QueuePtr VirtualDispatch::makeSerialQueue(const QString& label, QoS)
{
    auto q = std::make_shared<VirtualQueue>(label, false, d->mutex);
    std::lock_guard lock(d->mutex);
    d->serials.push_back(q);
    return q;
}

CancelToken VirtualDispatch::after(const QueuePtr& queue, Duration delay, Work work)
{
    auto t = std::make_shared<VirtualTimer>();
    t->queue = queue;
    t->work = std::move(work);
    d->arm(d->clock.elapsed().count() + std::max<long long>(0, delay.count()), t);
    return t;
}

CancelToken VirtualDispatch::every(const QueuePtr& queue, Duration interval, Duration, Work work, Duration firstDelay)
{
    auto t = std::make_shared<VirtualTimer>();
    t->queue = queue;
    t->work = std::move(work);
    t->interval = interval.count() > 0 ? interval : Duration(1);
    d->arm(d->clock.elapsed().count() + std::max<long long>(0, firstDelay.count()), t);
    return t;
}

VirtualClock& VirtualDispatch::clock() { return d->clock; }

int VirtualDispatch::runUntilIdle()
{
    int ran = 0;
    for (;;) {
        bool any = false;
        std::vector<std::shared_ptr<VirtualQueue>> queues;
        {
            std::lock_guard lock(d->mutex);
            queues.push_back(d->mainQueue);
            queues.insert(queues.end(), d->globals.begin(), d->globals.end());
            for (auto it = d->serials.begin(); it != d->serials.end();) {
                if (auto q = it->lock()) {
                    queues.push_back(q);
                    ++it;
                } else {
                    it = d->serials.erase(it);
                }
            }
        }
        for (auto& q : queues) {
            if (q->runOne()) {
                any = true;
                if (++ran > 1000000)
                    throw std::runtime_error("VirtualDispatch: work keeps rescheduling itself without end");
            }
        }
        if (!any)
            return ran;
    }
}

void VirtualDispatch::advance(Duration delta)
{
    const long long target = d->clock.elapsed().count() + delta.count();
    runUntilIdle();
    for (;;) {
        std::shared_ptr<VirtualTimer> due;
        long long when = 0;
        {
            std::lock_guard lock(d->mutex);
            while (!d->timers.empty() && d->timers.begin()->second->cancelled)
                d->timers.erase(d->timers.begin());
            if (!d->timers.empty() && d->timers.begin()->first.first <= target) {
                when = d->timers.begin()->first.first;
                due = d->timers.begin()->second;
                d->timers.erase(d->timers.begin());
            }
        }
        if (!due)
            break;
        // Work that ran long (advanced the clock itself) makes a timer fire late, never early in time.
        if (when > d->clock.elapsed().count())
            d->clock.advance(Duration(when - d->clock.elapsed().count()));
        if (due->interval.count() > 0)
            d->arm(when + due->interval.count(), due);
        if (auto q = due->queue.lock()) {
            q->async([due] {
                if (!due->cancelled)
                    due->work();
            });
        }
        runUntilIdle();
    }
    // Work run above may have advanced time further itself (a nested advance); time never goes back.
    if (target > d->clock.elapsed().count())
        d->clock.advance(Duration(target - d->clock.elapsed().count()));
    runUntilIdle();
}

int VirtualDispatch::pendingTimers() const
{
    std::lock_guard lock(d->mutex);
    int n = 0;
    for (auto& [key, t] : d->timers)
        if (!t->cancelled)
            ++n;
    return n;
}

} // namespace vantrel
