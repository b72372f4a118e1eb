#include "base/QtDispatch.h"

#include <array>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <future>
#include <map>
#include <mutex>
#include <thread>

#include <QCoreApplication>
#include <QObject>
#include <QThread>
#include <QThreadPool>

namespace vantrel {
namespace {

thread_local const DispatchQueue* tlsCurrentQueue = nullptr;

class CurrentQueueScope {
public:
    explicit CurrentQueueScope(const DispatchQueue* q)
        : previous_(tlsCurrentQueue)
    {
        tlsCurrentQueue = q;
    }
    ~CurrentQueueScope() { tlsCurrentQueue = previous_; }

private:
    const DispatchQueue* previous_;
};

class MainQueue final : public DispatchQueue {
public:
    MainQueue()
        : context_(std::make_unique<QObject>())
    { }
    QString label() const override { return QStringLiteral("com.apple.main-thread"); }
    void async(Work work) override { QMetaObject::invokeMethod(context_.get(), std::move(work), Qt::QueuedConnection); }
    void sync(Work work) override
    {
        if (isCurrent()) {
            work();
            return;
        }
        QMetaObject::invokeMethod(context_.get(), std::move(work), Qt::BlockingQueuedConnection);
    }
    bool isCurrent() const override { return QThread::currentThread() == context_->thread(); }

private:
    std::unique_ptr<QObject> context_;
};

class GlobalQueue final : public DispatchQueue {
public:
    GlobalQueue(QString label, QThread::Priority priority)
        : label_(std::move(label))
        , priority_(priority)
    {
        // Daemon exchanges block for up to 30 s, so leave room beyond the core count.
        pool_.setMaxThreadCount(8);
        pool_.setExpiryTimeout(30000);
    }
    ~GlobalQueue() override { pool_.waitForDone(); }
    void waitForDone() { pool_.waitForDone(); }
    QString label() const override { return label_; }
    void async(Work work) override
    {
        pool_.start([this, work = std::move(work)] {
            QThread::currentThread()->setPriority(priority_);
            CurrentQueueScope scope(this);
            work();
        });
    }
    void sync(Work work) override
    {
        CurrentQueueScope scope(this);
        work();
    }
    bool isCurrent() const override { return tlsCurrentQueue == this; }

private:
    QString label_;
    QThread::Priority priority_;
    QThreadPool pool_;
};

class SerialQueue final : public DispatchQueue, public std::enable_shared_from_this<SerialQueue> {
public:
    explicit SerialQueue(QString label)
        : label_(std::move(label))
    {
        worker_ = std::thread([this] { run(); });
    }
    ~SerialQueue() override
    {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        if (worker_.get_id() == std::this_thread::get_id())
            worker_.detach();
        else
            worker_.join();
    }
    QString label() const override { return label_; }
    void async(Work work) override
    {
        {
            std::lock_guard lock(mutex_);
            items_.push_back(std::move(work));
        }
        wake_.notify_one();
    }
    void sync(Work work) override
    {
        if (isCurrent()) {
            work();
            return;
        }
        // As a serial dispatch queue does: with nothing queued or running, the work runs on the
        // calling thread while the queue is held, which saves two thread switches per call.
        bool inlineTurn = false;
        {
            std::lock_guard lock(mutex_);
            if (!busy_ && items_.empty()) {
                busy_ = true;
                inlineTurn = true;
            }
        }
        if (inlineTurn) {
            struct Release {
                SerialQueue* queue;
                ~Release()
                {
                    bool workerNeeded = false;
                    {
                        std::lock_guard lock(queue->mutex_);
                        queue->busy_ = false;
                        workerNeeded = !queue->items_.empty() || queue->stopping_;
                    }
                    // Waking an idle worker for nothing would cost the two switches saved here.
                    if (workerNeeded)
                        queue->wake_.notify_all();
                }
            } release{this};
            CurrentQueueScope scope(this);
            work();
            return;
        }
        std::promise<void> done;
        auto finished = done.get_future();
        async([&] {
            work();
            done.set_value();
        });
        finished.wait();
    }
    bool isCurrent() const override { return tlsCurrentQueue == this; }

private:
    void run()
    {
        CurrentQueueScope scope(this);
        std::unique_lock lock(mutex_);
        for (;;) {
            wake_.wait(lock, [this] { return !busy_ && (stopping_ || !items_.empty()); });
            if (items_.empty())
                return;
            Work next = std::move(items_.front());
            items_.pop_front();
            busy_ = true;
            lock.unlock();
            next();
            next = nullptr; // its captures may post to this queue: release them without the lock
            lock.lock();
            busy_ = false;
        }
    }

    QString label_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Work> items_;
    bool busy_ = false; // an item, or a sync call on its caller's thread, holds the queue
    bool stopping_ = false;
    std::thread worker_;
};

using SteadyTime = std::chrono::steady_clock::time_point;

struct TimerEntry final : Cancellable {
    std::weak_ptr<DispatchQueue> queue;
    Work work;
    Duration interval{0};
    std::atomic<bool> cancelled{false};
    void cancel() override { cancelled = true; }
    bool isCancelled() const override { return cancelled; }
};

// Releases due work onto its queue from one thread.
class Scheduler {
public:
    Scheduler()
    {
        thread_ = std::thread([this] { run(); });
    }
    ~Scheduler()
    {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }
    void schedule(SteadyTime when, std::shared_ptr<TimerEntry> entry)
    {
        {
            std::lock_guard lock(mutex_);
            due_.emplace(when, std::move(entry));
        }
        wake_.notify_all();
    }

private:
    void run()
    {
        std::unique_lock lock(mutex_);
        while (!stopping_) {
            if (due_.empty()) {
                wake_.wait(lock);
                continue;
            }
            auto first = due_.begin();
            if (first->first > std::chrono::steady_clock::now()) {
                wake_.wait_until(lock, first->first);
                continue;
            }
            auto when = first->first;
            auto entry = first->second;
            due_.erase(first);
            if (entry->cancelled)
                continue;
            if (entry->interval.count() > 0) {
                auto next = when + entry->interval;
                auto now = std::chrono::steady_clock::now();
                due_.emplace(next > now ? next : now + entry->interval, entry);
            }
            auto queue = entry->queue.lock();
            if (!queue)
                continue;
            lock.unlock();
            queue->async([entry] {
                if (!entry->cancelled)
                    entry->work();
            });
            lock.lock();
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::multimap<SteadyTime, std::shared_ptr<TimerEntry>> due_;
    bool stopping_ = false;
    std::thread thread_;
};

} // namespace

struct QtDispatch::Impl {
    SystemClock clock;
    std::shared_ptr<MainQueue> mainQueue = std::make_shared<MainQueue>();
    std::array<std::shared_ptr<GlobalQueue>, 5> globals{
        std::make_shared<GlobalQueue>(QStringLiteral("global.background"), QThread::LowestPriority),
        std::make_shared<GlobalQueue>(QStringLiteral("global.utility"), QThread::LowPriority),
        std::make_shared<GlobalQueue>(QStringLiteral("global.default"), QThread::NormalPriority),
        std::make_shared<GlobalQueue>(QStringLiteral("global.user-initiated"), QThread::HighPriority),
        std::make_shared<GlobalQueue>(QStringLiteral("global.user-interactive"), QThread::HighestPriority),
    };
    Scheduler scheduler;
};

QtDispatch::QtDispatch()
    : d(std::make_unique<Impl>())
{ }
QtDispatch::~QtDispatch() = default;

QueuePtr QtDispatch::main() { return d->mainQueue; }

QueuePtr QtDispatch::global(QoS qos) { return d->globals.at(static_cast<size_t>(qos)); }

void QtDispatch::waitForGlobalWork()
{
    for (const auto& queue : d->globals)
        queue->waitForDone();
}

QueuePtr QtDispatch::makeSerialQueue(const QString& label, QoS) { return std::make_shared<SerialQueue>(label); }

CancelToken QtDispatch::after(const QueuePtr& queue, Duration delay, Work work)
{
    auto entry = std::make_shared<TimerEntry>();
    entry->queue = queue;
    entry->work = std::move(work);
    d->scheduler.schedule(std::chrono::steady_clock::now() + delay, entry);
    return entry;
}

CancelToken QtDispatch::every(const QueuePtr& queue, Duration interval, Duration, Work work, Duration firstDelay)
{
    auto entry = std::make_shared<TimerEntry>();
    entry->queue = queue;
    entry->work = std::move(work);
    entry->interval = interval.count() > 0 ? interval : Duration(1);
    d->scheduler.schedule(std::chrono::steady_clock::now() + firstDelay, entry);
    return entry;
}

Clock& QtDispatch::clock() { return d->clock; }

} // namespace vantrel
