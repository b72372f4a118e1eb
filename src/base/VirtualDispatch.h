#pragma once
// Deterministic dispatch for tests: nothing runs until the test drains the queues or
// advances virtual time; timers and delayed work fire in deadline order. All work runs
// on the calling thread, so `sync` onto any queue runs inline after that queue's backlog.
#include <memory>

#include <QDateTime>

#include "base/Dispatch.h"

namespace vantrel {

class VirtualClock final : public Clock {
public:
    QDateTime now() const override;
    double uptimeSeconds() const override;
    void setWallTime(const QDateTime& wall);
    void advance(Duration d);
    Duration elapsed() const { return elapsed_; }

private:
    QDateTime wallOrigin_ = QDateTime(QDate(2026, 1, 15), QTime(12, 0), Qt::UTC);
    Duration elapsed_{0};
};

class VirtualDispatch final : public Dispatch {
public:
    VirtualDispatch();
    ~VirtualDispatch() override;

    QueuePtr main() override;
    QueuePtr global(QoS qos) override;
    QueuePtr makeSerialQueue(const QString& label, QoS qos = QoS::Default) override;
    CancelToken after(const QueuePtr& queue, Duration delay, Work work) override;
    CancelToken every(const QueuePtr& queue, Duration interval, Duration leeway, Work work,
                      Duration firstDelay) override;
    using Dispatch::every;
    VirtualClock& clock() override;
    // Queued work only runs inside runUntilIdle/advance, on the caller's thread: nothing is
    // ever in flight to wait for.
    void waitForGlobalWork() override { }

    // Runs queued work (not timers) until every queue is empty. Returns items run.
    int runUntilIdle();
    // Moves virtual time forward, firing due timers in order and draining queues after each.
    void advance(Duration d);
    void advanceSeconds(double s) { advance(seconds(s)); }
    // Number of timers and delayed items still armed.
    int pendingTimers() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace vantrel
