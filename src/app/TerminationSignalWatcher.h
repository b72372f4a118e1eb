#pragma once
// Turns SIGTERM, SIGINT and SIGHUP into a Qt signal on the main thread, so that they end the
// application through the same path as its Quit command. The handler only writes the signal
// number to a socket pair (async-signal-safe); a notifier reads it in the event loop.
#include <csignal>
#include <initializer_list>
#include <memory>

#include <QObject>
#include <QString>

class QSocketNotifier;

namespace vantrel {

class TerminationSignalWatcher final : public QObject {
    Q_OBJECT
public:
    // One watcher per process; the previous handlers come back when it is destroyed.
    explicit TerminationSignalWatcher(std::initializer_list<int> signalNumbers = {SIGTERM, SIGINT, SIGHUP},
                                      QObject* parent = nullptr);
    ~TerminationSignalWatcher() override;
    TerminationSignalWatcher(const TerminationSignalWatcher&) = delete;
    TerminationSignalWatcher& operator=(const TerminationSignalWatcher&) = delete;

    // False when the socket pair or a handler could not be set up (the signals then keep
    // their previous handling).
    bool isActive() const { return active_; }

    // "SIGTERM", "SIGINT", "SIGHUP", or "signal N".
    static QString signalName(int signalNumber);

Q_SIGNALS:
    void received(int signalNumber);

private:
    void readPending();
    void restore();

    struct Previous;
    std::unique_ptr<Previous> previous_;
    int fds_[2] = {-1, -1};
    QSocketNotifier* notifier_ = nullptr;
    bool active_ = false;
};

} // namespace vantrel
