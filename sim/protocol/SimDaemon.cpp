#include "sim/protocol/SimDaemon.h"

#include <signal.h>

#include <cerrno>

#include <QDir>
#include <QJsonDocument>

#include "base/AtomicFile.h"
#include "base/JsonAccess.h"
#include "base/Log.h"
#include "daemonserver/RequestParsing.h"
#include "platform/sim/SimStateDirectory.h"
#include "sim/model/HardwareDescription.h"
#include "sim/model/SmcKeyStore.h"
#include "sim/protocol/CommandTable.h"

namespace vantrel::sim {

SimDaemon::SimDaemon(SimDaemonConfig config, bool logRequests, std::shared_ptr<SystemFigures> systemFigures)
    : config_(std::move(config))
    , logRequests_(logRequests)
    , table_(fullCommandTable())
{
    QDir().mkpath(config_.stateDirectory);
    ctx_ = std::make_unique<SimContext>(config_, faults_,
                                        systemFigures ? std::move(systemFigures) : SystemFigures::fromThisMachine());
    StateSnapshot snapshot;
    {
        std::lock_guard lock(mutex_);
        snapshot = snapshotLocked();
    }
    writeStateFiles(snapshot);
}

SimDaemon::~SimDaemon() = default;

ShapedReply SimDaemon::respond(const QByteArray& requestBytes, long long peerPid)
{
    const auto parsed = daemonserver::parseRequest(requestBytes);
    if (!parsed.request) {
        std::lock_guard lock(mutex_);
        ctx_->diagnostic(QStringLiteral("warning"), QStringLiteral("ipc"),
                         QStringLiteral("Rejected a request: ")
                             + parsed.errorReply.value(QStringLiteral("message")).toString());
        return shapeReply(parsed.errorReply, {});
    }
    const QJsonObject& request = *parsed.request;
    const QString command = json::string(request, QStringLiteral("cmd")).value_or(QString());
    const std::vector<Fault> faults = faults_.take(command);
    QJsonObject reply;
    if (suppressesExecution(faults))
        reply = errorReply(QStringLiteral("ERR_INJECTED_FAULT"),
                           QStringLiteral("The command was not carried out (injected fault)."));
    else
        reply = handle(request, peerPid);
    if (!faults.empty()) {
        std::lock_guard lock(mutex_);
        QStringList modes;
        for (const auto& f : faults)
            modes << faultModeName(f.mode);
        ctx_->diagnostic(QStringLiteral("warning"), QStringLiteral("faults"),
                         QStringLiteral("Injected %1 into %2").arg(modes.join(QStringLiteral(", ")), command));
    }
    return shapeReply(reply, faults);
}

QJsonObject SimDaemon::handle(const QJsonObject& request, long long peerPid)
{
    const auto command = json::string(request, QStringLiteral("cmd"));
    if (!command || command->isEmpty())
        return errorReply(QStringLiteral("ERR_MISSING_COMMAND"), QStringLiteral("The request has no \"cmd\" string."));
    std::optional<StateSnapshot> snapshot;
    QJsonObject reply;
    {
        std::lock_guard lock(mutex_);
        ctx_->requestPeerPid = peerPid;
        releaseAssertionsOfEndedProcessesLocked(snapshot);
        reply = handleLocked(request, *command, snapshot);
        ctx_->requestPeerPid = 0;
    }
    if (snapshot)
        writeStateFiles(*snapshot);
    return reply;
}

QJsonObject SimDaemon::handleLocked(const QJsonObject& request, const QString& command,
                                    std::optional<StateSnapshot>& snapshot)
{
    const Command* entry = table_.find(command);
    if (!entry) {
        ctx_->diagnostic(QStringLiteral("warning"), QStringLiteral("ipc"),
                         QStringLiteral("Unknown command ") + command);
        return errorReply(QStringLiteral("ERR_UNKNOWN_COMMAND"), QStringLiteral("Unknown command: ") + command);
    }
    const QJsonObject reply = entry->handler(*ctx_, request);
    if (entry->changesState)
        snapshot = snapshotLocked();
    if (!entry->quiet) {
        const QString status = reply.value(QStringLiteral("status")).toString();
        const QString code = reply.value(QStringLiteral("code")).toString();
        const QString line
            = command + QStringLiteral(" -> ") + status + (code.isEmpty() ? QString() : QStringLiteral(" ") + code);
        if (!command.startsWith(QLatin1String("sim_")))
            ctx_->diagnostic(status == QLatin1String("ok") ? QStringLiteral("info") : QStringLiteral("warning"),
                             QStringLiteral("ipc"), line);
        if (logRequests_)
            logLine(QStringLiteral("vantrel-sim: ") + line);
    }
    return reply;
}

void SimDaemon::releaseAssertionsOfEndedProcessesLocked(std::optional<StateSnapshot>& snapshot)
{
    // kill(pid, 0) fails with ESRCH only when no such process exists (EPERM: it runs as another user).
    const int released = ctx_->mac.platform().releaseAssertionsOfEndedOwners(
        [](long long pid) { return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH; });
    if (released > 0) {
        ctx_->diagnostic(QStringLiteral("info"), QStringLiteral("platform"),
                         QStringLiteral("Released %1 power assertion(s) of a process that ended").arg(released));
        snapshot = snapshotLocked();
    }
}

void SimDaemon::advance(int seconds)
{
    StateSnapshot snapshot;
    {
        std::lock_guard lock(mutex_);
        std::optional<StateSnapshot> swept;
        releaseAssertionsOfEndedProcessesLocked(swept);
        ctx_->advance(seconds);
        snapshot = snapshotLocked();
    }
    writeStateFiles(snapshot);
}

QString SimDaemon::smcKeysPath() const
{
    return config_.stateDirectory + QLatin1Char('/') + QLatin1String(simstate::smcKeysFile);
}

QString SimDaemon::hardwarePath() const
{
    return config_.stateDirectory + QLatin1Char('/') + QLatin1String(simstate::hardwareFile);
}

SimDaemon::StateSnapshot SimDaemon::snapshotLocked()
{
    return StateSnapshot{++generation_, QByteArray::fromStdString(smcKeyFileText(ctx_->mac)),
                         QJsonDocument(hardwareDescription(ctx_->mac)).toJson(QJsonDocument::Indented)};
}

void SimDaemon::writeStateFiles(const StateSnapshot& snapshot)
{
    std::lock_guard lock(fileMutex_);
    if (snapshot.generation <= writtenGeneration_)
        return;
    QString error;
    const bool ok = writeFileAtomically(smcKeysPath(), snapshot.smcKeys, std::nullopt, &error)
        && writeFileAtomically(hardwarePath(), snapshot.hardware, std::nullopt, &error);
    writtenGeneration_ = snapshot.generation;
    // Report a failing state folder once, not on every step.
    if (!ok && !lastWriteFailed_) {
        {
            std::lock_guard model(mutex_);
            ctx_->diagnostic(QStringLiteral("error"), QStringLiteral("state"),
                             QStringLiteral("Cannot write the state files: ") + error);
        }
        logLine(
            QStringLiteral("vantrel-sim: cannot write the state files in %1: %2").arg(config_.stateDirectory, error));
    }
    lastWriteFailed_ = !ok;
}

} // namespace vantrel::sim
