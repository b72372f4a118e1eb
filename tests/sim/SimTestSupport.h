#pragma once
// A simulated daemon in a temporary state folder with a manual clock and a fixed start time.
#include <memory>

#include <QJsonObject>

#include "sim/protocol/SimDaemon.h"
#include "support/TempDir.h"

namespace vantrel::test {

// 2026-01-15 12:00:00 UTC.
inline constexpr double kSimStartEpoch = 1768478400.0;

inline sim::SimDaemonConfig simConfig(const TempDir& dir,
                                      const sim::MachineProfile& profile = sim::MachineProfile::laptop14())
{
    sim::SimDaemonConfig c;
    c.profile = profile;
    c.stateDirectory = dir.file(QStringLiteral("state"));
    c.updateStatusPath = dir.file(QStringLiteral("Library/Application Support/Vantrel/UpdateStatus/status.json"));
    c.studyLogPath = dir.file(QStringLiteral("study/samples.jsonl"));
    c.startEpochSeconds = kSimStartEpoch;
    c.manualClock = true;
    return c;
}

// Sends {"cmd": cmd, …args} and returns the reply.
inline QJsonObject call(sim::SimDaemon& daemon, const QString& cmd, QJsonObject args = {})
{
    args.insert(QStringLiteral("cmd"), cmd);
    return daemon.handle(args);
}

inline QJsonObject step(sim::SimDaemon& daemon, int seconds)
{
    return call(daemon, QStringLiteral("sim_step"), {{QStringLiteral("seconds"), seconds}});
}

inline QString statusOf(const QJsonObject& reply) { return reply.value(QStringLiteral("status")).toString(); }

} // namespace vantrel::test
