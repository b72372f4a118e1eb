#include <atomic>
#include <functional>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <gtest/gtest.h>

#include "base/QtDispatch.h"
#include "base/VirtualDispatch.h"

using namespace vantrel;
using namespace std::chrono_literals;

namespace {

// Each backend behind the same two verbs: run until a condition holds (or a limit of its own
// time passes), and let a stretch of its time pass.
struct VirtualBackend {
    VirtualDispatch dispatch;
    bool runUntil(const std::function<bool()>& done, Duration limit)
    {
        for (Duration waited{0}; !done(); waited += 1ms) {
            if (waited >= limit)
                return false;
            dispatch.advance(1ms);
        }
        return true;
    }
    void runFor(Duration d) { dispatch.advance(d); }
};

struct QtBackend {
    QtDispatch dispatch;
    bool runUntil(const std::function<bool()>& done, Duration limit)
    {
        // Real time: the limit is generous so a loaded machine does not fail the test.
        spin(done, QDeadlineTimer(limit * 20));
        return done();
    }
    void runFor(Duration d)
    {
        spin([] { return false; }, QDeadlineTimer(d));
    }

private:
    static void spin(const std::function<bool()>& done, const QDeadlineTimer& deadline)
    {
        QEventLoop loop;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
            if (done() || deadline.hasExpired())
                loop.quit();
        });
        poll.start(1);
        if (!done())
            loop.exec();
    }
};

template <class Backend> class DispatchBackend : public ::testing::Test {
protected:
    Backend backend;
    Dispatch& dispatch = backend.dispatch;
    bool runUntil(const std::function<bool()>& done, Duration limit = 1s) { return backend.runUntil(done, limit); }
    void runFor(Duration d) { backend.runFor(d); }
};

using Backends = ::testing::Types<VirtualBackend, QtBackend>;
TYPED_TEST_SUITE(DispatchBackend, Backends);

TYPED_TEST(DispatchBackend, DelayedWorkRunsOnItsQueueInDeadlineOrder)
{
    Dispatch& d = this->dispatch;
    auto serial = d.makeSerialQueue(QStringLiteral("test.serial"));
    std::mutex mutex;
    QStringList fired;
    const auto note = [&](const QString& what) {
        std::lock_guard lock(mutex);
        fired << what;
    };
    d.after(d.main(), 60ms, [&] { note(d.main()->isCurrent() ? QStringLiteral("main60") : QStringLiteral("wrong")); });
    d.after(serial, 30ms, [&] { note(serial->isCurrent() ? QStringLiteral("serial30") : QStringLiteral("wrong")); });
    d.after(d.main(), 10ms, [&] { note(QStringLiteral("main10")); });
    ASSERT_TRUE(this->runUntil([&] {
        std::lock_guard lock(mutex);
        return fired.size() == 3;
    }));
    std::lock_guard lock(mutex);
    EXPECT_EQ(fired, (QStringList{QStringLiteral("main10"), QStringLiteral("serial30"), QStringLiteral("main60")}));
}

TYPED_TEST(DispatchBackend, RepeatingTimerFiresFirstAfterItsDelayThenUntilCancelled)
{
    Dispatch& d = this->dispatch;
    std::atomic<int> ticks{0};
    CancelToken timer;
    timer = d.every(
        d.main(), 20ms, 0ms,
        [&] {
        if (++ticks == 3)
            timer->cancel(); // from inside its own firing
        },
        0ms);
    EXPECT_EQ(ticks, 0) << "nothing runs before the queue does";
    ASSERT_TRUE(this->runUntil([&] { return ticks == 3; }));
    EXPECT_TRUE(timer->isCancelled());
    this->runFor(100ms);
    EXPECT_EQ(ticks, 3);
}

TYPED_TEST(DispatchBackend, CancelledWorkGoneOwnersAndGoneQueuesNeverRun)
{
    Dispatch& d = this->dispatch;
    std::atomic<int> runs{0};
    auto token = d.after(d.main(), 10ms, [&] { ++runs; });
    token->cancel();
    token->cancel();
    EXPECT_TRUE(token->isCancelled());
    auto owner = std::make_shared<int>(7);
    d.after(d.main(), 10ms, weakly(std::weak_ptr<int>(owner), [&](int* v) { runs += *v; }));
    owner.reset();
    auto* qobject = new QObject;
    d.after(d.main(), 10ms, weakly(qobject, [&](QObject*) { runs += 100; }));
    delete qobject;
    auto serial = d.makeSerialQueue(QStringLiteral("test.gone"));
    d.after(serial, 10ms, [&] { runs += 1000; });
    serial.reset();

    bool later = false;
    d.after(d.main(), 50ms, [&] { later = true; });
    ASSERT_TRUE(this->runUntil([&] { return later; }));
    EXPECT_EQ(runs, 0);
}

TYPED_TEST(DispatchBackend, SerialQueueKeepsOrderAndSyncWaitsForTheBacklog)
{
    Dispatch& d = this->dispatch;
    auto serial = d.makeSerialQueue(QStringLiteral("test.serial"));
    std::vector<int> order;
    for (int i = 0; i < 100; ++i)
        serial->async([&order, i] { order.push_back(i); });
    bool inside = false;
    serial->sync([&] {
        inside = serial->isCurrent();
        serial->sync([&] { order.push_back(100); }); // re-entrant: runs inline
    });
    EXPECT_TRUE(inside);
    EXPECT_FALSE(serial->isCurrent());
    ASSERT_EQ(order.size(), 101u);
    for (int i = 0; i <= 100; ++i)
        EXPECT_EQ(order[i], i);
}

TYPED_TEST(DispatchBackend, BackgroundWorkHandsItsResultToTheMainQueue)
{
    Dispatch& d = this->dispatch;
    std::atomic<int> published{0};
    std::atomic<bool> onMain{false};
    d.global(QoS::Utility)->async([&] {
        const int computed = 41 + 1;
        d.main()->async([&, computed] {
            onMain = d.main()->isCurrent();
            published = computed;
        });
    });
    ASSERT_TRUE(this->runUntil([&] { return published != 0; }));
    EXPECT_EQ(published, 42);
    EXPECT_TRUE(onMain);
}

TEST(VirtualDispatch, TimeMovesOnlyWhenAdvancedAndEqualDeadlinesFireInArmingOrder)
{
    VirtualDispatch dispatch;
    QStringList fired;
    auto main = dispatch.main();
    dispatch.after(main, 2000ms, [&] { fired << QStringLiteral("after2"); });
    auto timer = dispatch.every(main, 1000ms, 100ms, [&] {
        fired << QStringLiteral("tick@") + QString::number(dispatch.clock().elapsed().count());
    });
    dispatch.after(main, 1000ms, [&] { fired << QStringLiteral("after1"); });
    dispatch.runUntilIdle();
    EXPECT_TRUE(fired.empty());

    dispatch.advance(2500ms);
    // The re-armed tick comes after after2, which was armed before it.
    EXPECT_EQ(fired,
              (QStringList{QStringLiteral("tick@1000"), QStringLiteral("after1"), QStringLiteral("after2"),
                           QStringLiteral("tick@2000")}));
    EXPECT_EQ(dispatch.clock().elapsed(), 2500ms);
    EXPECT_EQ(dispatch.pendingTimers(), 1);
    timer->cancel();
    EXPECT_EQ(dispatch.pendingTimers(), 0);

    // A first delay of zero fires at once, then the interval applies.
    int count = 0;
    dispatch.every(
        main, 5000ms, 0ms, [&] { ++count; }, 0ms);
    dispatch.advance(0ms);
    EXPECT_EQ(count, 1);
    dispatch.advance(4999ms);
    EXPECT_EQ(count, 1);
    dispatch.advance(1ms);
    EXPECT_EQ(count, 2);
}

TEST(QtDispatch, ConcurrentSyncCallsNeverInterleave)
{
    QtDispatch dispatch;
    auto serial = dispatch.makeSerialQueue(QStringLiteral("test.serial"));
    std::atomic<int> active{0};
    std::atomic<int> maxActive{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 50; ++i)
                serial->sync([&] {
                    const int now = ++active;
                    maxActive = std::max(maxActive.load(), now);
                    --active;
                });
        });
    for (auto& th : threads)
        th.join();
    EXPECT_EQ(maxActive.load(), 1);
}

TEST(QtDispatch, SyncOnAnIdleQueueRunsOnTheCallerYetHoldsTheQueue)
{
    QtDispatch dispatch;
    auto serial = dispatch.makeSerialQueue(QStringLiteral("test.serial"));
    std::thread::id ranOn;
    std::atomic<bool> posted{false};
    std::atomic<bool> laterRan{false};
    bool laterRanDuringSync = true;
    serial->sync([&] {
        ranOn = std::this_thread::get_id();
        EXPECT_TRUE(serial->isCurrent());
        serial->async([&] { laterRan = true; });
        posted = true;
        // Work queued meanwhile waits until this call has ended.
        std::this_thread::yield();
        laterRanDuringSync = laterRan;
    });
    EXPECT_EQ(ranOn, std::this_thread::get_id());
    EXPECT_FALSE(laterRanDuringSync);
    serial->sync([] {}); // behind the queued item, so that one has run
    EXPECT_TRUE(laterRan);

    // Calls made while the queue is busy still wait their turn behind what is queued.
    std::vector<int> order;
    std::promise<void> release;
    auto released = release.get_future().share();
    serial->async([&, released] {
        released.wait();
        order.push_back(1);
    });
    serial->async([&] { order.push_back(2); });
    std::thread caller([&] { serial->sync([&] { order.push_back(3); }); });
    release.set_value();
    caller.join();
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
}

TEST(QtDispatch, MixedSyncAndAsyncWorkNeverInterleaves)
{
    QtDispatch dispatch;
    auto serial = dispatch.makeSerialQueue(QStringLiteral("test.serial"));
    std::atomic<int> active{0};
    std::atomic<int> maxActive{0};
    std::atomic<int> done{0};
    const auto body = [&] {
        const int now = ++active;
        maxActive = std::max(maxActive.load(), now);
        std::this_thread::yield();
        --active;
        ++done;
    };
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 200; ++i) {
                if ((i + t) % 3 == 0)
                    serial->async(body);
                else
                    serial->sync(body);
            }
        });
    for (auto& th : threads)
        th.join();
    serial->sync([] {});
    EXPECT_EQ(done.load(), 800);
    EXPECT_EQ(maxActive.load(), 1);
}

} // namespace
