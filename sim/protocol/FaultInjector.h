#pragma once
// Faults injected per command for reliability tests: a slow reply, a connection closed
// without reply, garbage bytes, a reply split into pauses, another status, keys left out or
// of the wrong type, padding to an exact size, a reply cut off half-way; and a seeded storm of
// random faults on every command. Thread-safe; the server asks it per request.
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include <QByteArray>
#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include "daemonserver/ShapedReply.h"

namespace vantrel::sim {

enum class FaultMode {
    Delay,
    Close,
    Garbage,
    Split,
    Status,
    OmitKeys,
    MistypeKeys,
    Pad,
    Truncate
};

struct Fault {
    FaultMode mode = FaultMode::Delay;
    int delayMs = 0; // Delay
    int segments = 2; // Split
    int pauseMs = 200; // Split: pause between segments
    QString status; // Status
    QStringList keys; // OmitKeys / MistypeKeys; empty = every key but "status"
    QByteArray garbage; // Garbage; empty = a built-in non-JSON byte string
    int padBytes = 0; // Pad: the reply is padded with spaces to this many bytes
    bool execute = true; // false: the command is not carried out at all
    int remaining = 1; // requests left to affect; -1 = until cleared

    // From a "sim_fault" request; nothing (and the reason) when malformed.
    static std::optional<Fault> fromRequest(const QJsonObject& request, QString* error);
    QJsonObject toJson() const;
};

using daemonserver::ShapedReply;

class FaultStorm;
struct StormSettings;

class FaultInjector {
public:
    FaultInjector();
    ~FaultInjector();
    // command: a command name, or "*" for every command that is not a sim control command.
    void add(const QString& command, const Fault& fault);
    void clear(const QString& command = {});
    // The faults that apply to this request of command; each use counts down.
    std::vector<Fault> take(const QString& command);
    QJsonArray list() const;

    // A random fault on a share of every daemon command's requests until stopped; starting
    // again begins a new storm from its seed.
    void startStorm(const StormSettings& settings);
    void stopStorm();
    // "active" and the storm's figures (those of the last storm once stopped); empty before any.
    QJsonObject stormState() const;

private:
    mutable std::mutex mutex_;
    QHash<QString, std::vector<Fault>> faults_;
    std::unique_ptr<FaultStorm> storm_;
    bool stormActive_ = false;
};

// Whether any fault stops the command from being carried out.
bool suppressesExecution(const std::vector<Fault>& faults);
// Applies the faults to a reply.
ShapedReply shapeReply(const QJsonObject& reply, const std::vector<Fault>& faults);
QString faultModeName(FaultMode mode);

} // namespace vantrel::sim
