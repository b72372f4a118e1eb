#pragma once
// A seeded random fault for every daemon command: each request is faulted with a given
// probability, the kind drawn at random from every way a reply can go wrong. The same seed
// and the same order of requests give the same faults. Not thread-safe: FaultInjector locks.
#include <array>
#include <optional>
#include <random>

#include <QJsonObject>
#include <QString>

#include "sim/protocol/FaultInjector.h"

namespace vantrel::sim {

enum class StormKind {
    DelayPastShortRead, // past the 1 s read time-out of the read-backs
    DelayPastCommandRead, // past the 5 s of the other commands
    DelayPastOwnershipRead, // past the 10 s of "get_runtime_ownership"
    DelayPastPackageRead, // past the 30 s of the package commands
    Close,
    Garbage,
    NonObject,
    Split,
    WrongStatus,
    OmitKeys,
    MistypeKeys,
    PadExact8192,
    Pad10MiB,
    Truncate,
};
inline constexpr int kStormKindCount = 14;

struct StormSettings {
    quint32 seed = 1;
    double rate = 0.5; // share of requests that get a fault, 0…1
};

class FaultStorm {
public:
    explicit FaultStorm(StormSettings settings);

    // The fault for one request of command, or nothing for a request let through.
    std::optional<Fault> draw(const QString& command);
    // Settings and what was injected so far, by kind.
    QJsonObject toJson() const;
    const StormSettings& settings() const { return settings_; }

    static QString kindName(StormKind kind);
    // The fault of one kind, its details drawn from random.
    static Fault faultOf(StormKind kind, std::mt19937& random);

private:
    StormSettings settings_;
    std::mt19937 random_;
    long long requests_ = 0;
    std::array<long long, kStormKindCount> injected_{};
};

} // namespace vantrel::sim
