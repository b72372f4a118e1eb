#pragma once
// The simulated daemon: turns request bytes into a (possibly fault-shaped) reply, steps the
// simulated Mac, and keeps smc-keys.txt and hardware.json current in the state folder.
// Thread-safe: requests from many connections are handled one at a time under one lock.
#include <memory>
#include <mutex>
#include <optional>

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include "sim/protocol/CommandTable.h"
#include "sim/protocol/FaultInjector.h"
#include "sim/protocol/SimContext.h"

namespace vantrel::sim {

class SimDaemon {
public:
    // systemFigures: where operating-system figures come from (this machine's when none is given).
    explicit SimDaemon(SimDaemonConfig config, bool logRequests = false,
                       std::shared_ptr<SystemFigures> systemFigures = nullptr);
    ~SimDaemon();

    // One exchange as the server runs it: parse, faults of the command, handling, shaping.
    // peerPid is the client process when the socket tells (0 otherwise).
    ShapedReply respond(const QByteArray& requestBytes, long long peerPid = 0);
    // Handles one request object (no faults).
    QJsonObject handle(const QJsonObject& request, long long peerPid = 0);

    // Advances simulated time (the real-time clock calls this) and rewrites the state files.
    void advance(int seconds);
    bool manualClock() const { return config_.manualClock; }
    const SimDaemonConfig& config() const { return config_; }
    FaultInjector& faults() { return faults_; }
    const CommandTable& commands() const { return table_; }

    QString smcKeysPath() const;
    QString hardwarePath() const;

private:
    // The state files' contents at one moment, numbered so that an older snapshot never
    // replaces a newer one on disk.
    struct StateSnapshot {
        quint64 generation = 0;
        QByteArray smcKeys;
        QByteArray hardware;
    };
    QJsonObject handleLocked(const QJsonObject& request, const QString& command,
                             std::optional<StateSnapshot>& snapshot);
    StateSnapshot snapshotLocked();
    // Drops the power assertions of client processes that have ended, as the system does.
    void releaseAssertionsOfEndedProcessesLocked(std::optional<StateSnapshot>& snapshot);
    // Writes outside the model lock, so readers are not held up by the disk.
    void writeStateFiles(const StateSnapshot& snapshot);

    const SimDaemonConfig config_;
    const bool logRequests_;
    std::mutex mutex_;
    FaultInjector faults_;
    CommandTable table_;
    std::unique_ptr<SimContext> ctx_;
    quint64 generation_ = 0;
    std::mutex fileMutex_;
    quint64 writtenGeneration_ = 0;
    bool lastWriteFailed_ = false;
};

} // namespace vantrel::sim
