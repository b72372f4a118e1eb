#include <atomic>
#include <thread>
#include <vector>

#include <QCoreApplication>
#include <QObject>
#include <QStringList>

#include <gtest/gtest.h>

#include "base/QtDispatch.h"
#include "base/VirtualDispatch.h"

using namespace vantrel;
using namespace std::chrono_literals;

TEST(VirtualDispatch, DelayedWorkAndTimersFireInDeadlineOrderOnlyWhenTimeMoves)
{
    VirtualDispatch dispatch;
    QStringList fired;
    auto main = dispatch.main();
    dispatch.after(main, 2000ms, [&] { fired << QStringLiteral("after2"); });
    auto timer = dispatch.every(main, 1000ms, 100ms, [&] { fired << QStringLiteral("tick@") + QString::number(dispatch.clock().elapsed().count()); });
    dispatch.after(main, 1000ms, [&] { fired << QStringLiteral("after1"); });
    dispatch.runUntilIdle();
    EXPECT_TRUE(fired.empty());

    dispatch.advance(2500ms);
    // Equal deadlines fire in the order they were armed: the re-armed tick comes after after2.
    const QStringList expected{QStringLiteral("tick@1000"), QStringLiteral("after1"),
                               QStringLiteral("after2"), QStringLiteral("tick@2000")};
    EXPECT_EQ(fired, expected);
    EXPECT_EQ(dispatch.clock().elapsed(), 2500ms);

    timer->cancel();
    fired.clear();
    dispatch.advance(10s);
    EXPECT_TRUE(fired.empty());
    EXPECT_EQ(dispatch.pendingTimers(), 0);
}

TEST(VirtualDispatch, CancelledWorkNeverRunsAndWeakOwnersAreRespected)
{
    VirtualDispatch dispatch;
    int runs = 0;
    auto token = dispatch.after(dispatch.main(), 100ms, [&] { ++runs; });
    token->cancel();
    auto owner = std::make_shared<int>(7);
    dispatch.after(dispatch.main(), 100ms, weakly(std::weak_ptr<int>(owner), [&](int* v) { runs += *v; }));
    owner.reset();
    auto* qobject = new QObject;
    dispatch.after(dispatch.main(), 100ms, weakly(qobject, [&](QObject*) { runs += 100; }));
    delete qobject;
    dispatch.advance(1s);
    EXPECT_EQ(runs, 0);
}

TEST(VirtualDispatch, SerialQueueSyncRunsBacklogFirstAndWorkChainsAcrossQueues)
{
    VirtualDispatch dispatch;
    auto serial = dispatch.makeSerialQueue(QStringLiteral("test.serial"));
    std::vector<int> order;
    serial->async([&] { order.push_back(1); });
    serial->async([&] { order.push_back(2); });
    serial->sync([&] {
        EXPECT_TRUE(serial->isCurrent());
        order.push_back(3);
    });
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));

    // Background work hands its result to the main queue, as the model does.
    int published = 0;
    dispatch.global(QoS::Utility)->async([&] {
        const int computed = 41 + 1;
        dispatch.main()->async([&, computed] { published = computed; });
    });
    EXPECT_EQ(published, 0);
    dispatch.runUntilIdle();
    EXPECT_EQ(published, 42);
}

TEST(VirtualDispatch, RepeatingTimerWithFirstDelayZeroFiresImmediately)
{
    VirtualDispatch dispatch;
    int count = 0;
    dispatch.every(dispatch.main(), 5000ms, 0ms, [&] { ++count; }, 0ms);
    dispatch.advance(0ms);
    EXPECT_EQ(count, 1);
    dispatch.advance(14999ms);
    EXPECT_EQ(count, 3);
    dispatch.advance(1ms);
    EXPECT_EQ(count, 4);
}

TEST(QtDispatch, SerialQueueRunsInOrderAndSyncBlocksUntilDone)
{
    QtDispatch dispatch;
    auto serial = dispatch.makeSerialQueue(QStringLiteral("test.serial"));
    std::vector<int> order;
    for (int i = 0; i < 100; ++i)
        serial->async([&order, i] { order.push_back(i); });
    bool inside = false;
    serial->sync([&] { inside = serial->isCurrent(); });
    EXPECT_TRUE(inside);
    ASSERT_EQ(order.size(), 100u);
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(order[i], i);

    // Many threads calling sync concurrently never interleave their work.
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

    // Delayed work posted to the main queue arrives through the event loop.
    bool fired = false;
    dispatch.after(dispatch.main(), 20ms, [&] {
        fired = dispatch.main()->isCurrent();
        QCoreApplication::quit();
    });
    auto cancelled = dispatch.after(dispatch.main(), 10ms, [&] { ADD_FAILURE() << "cancelled work ran"; });
    cancelled->cancel();
    QCoreApplication::exec();
    EXPECT_TRUE(fired);
}
