#pragma once
// The system's sleep and wake as logind announces them (PrepareForSleep on the system bus),
// posted as the workspace sleep and wake notifications the usage telemetry observes.
#include <QObject>

namespace vantrel {

class NotificationCenter;

class LogindSleepSignals final : public QObject {
    Q_OBJECT
public:
    // Made on the main thread; without a system bus or logind nothing is ever posted.
    explicit LogindSleepSignals(NotificationCenter& center, QObject* parent = nullptr);
    bool isConnected() const { return connected_; }

    // true: the system is about to sleep; false: it has woken.
    Q_SLOT void prepareForSleep(bool sleeping);

private:
    NotificationCenter& center_;
    bool connected_ = false;
};

} // namespace vantrel
