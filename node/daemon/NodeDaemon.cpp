#include "node/daemon/NodeDaemon.h"

#include <QDir>

#include "base/JsonAccess.h"
#include "base/Log.h"
#include "daemonserver/Replies.h"
#include "daemonserver/RequestParsing.h"
#include "node/daemon/CachedSleepInhibitors.h"

namespace vantrel::node {

using daemonserver::errorReply;

NodeDaemon::NodeDaemon(NodeConfig config, Dispatch& dispatch, std::shared_ptr<SleepInhibitors> inhibitors,
                       std::shared_ptr<Authorizer> authorizer, bool logRequests,
                       std::shared_ptr<daemonserver::SystemFigures> system)
    : dispatch_(dispatch)
    , authorizer_(std::move(authorizer))
    , logRequests_(logRequests)
    , table_(nodeCommandTable())
{
    QDir().mkpath(config.stateDirectory);
    // logind's availability is asked once, not on every profile request.
    inhibitors = std::make_shared<CachedSleepInhibitors>(std::move(inhibitors), dispatch.clock());
    ctx_ = std::make_unique<NodeContext>(std::move(config), dispatch.clock(), std::move(inhibitors),
                                         system ? std::move(system) : daemonserver::SystemFigures::fromThisMachine());
}

NodeDaemon::~NodeDaemon() { stop(); }

void NodeDaemon::start()
{
    {
        std::lock_guard lock(mutex_);
        const auto loaded = ctx_->userSettings.load();
        if (loaded.status == daemonserver::SettingsFile::LoadStatus::Loaded) {
            const QStringList unavailable = ctx_->restoreSettings(loaded.settings);
            ctx_->diagnostic(QStringLiteral("info"), QStringLiteral("settings"),
                             unavailable.isEmpty() ? QStringLiteral("Stored settings restored")
                                                   : QStringLiteral("Stored settings restored except: ")
                                     + unavailable.join(QStringLiteral(", ")));
        } else if (loaded.status == daemonserver::SettingsFile::LoadStatus::Invalid) {
            ctx_->diagnostic(QStringLiteral("error"), QStringLiteral("settings"),
                             QStringLiteral("The stored settings cannot be read: ") + loaded.error);
        }
        ctx_->ready = true;
    }
    if (!queue_)
        queue_ = dispatch_.makeSerialQueue(QStringLiteral("vantrel-node.policy"), QoS::Utility);
    timer_ = dispatch_.every(queue_, kPolicyInterval, Duration(200), [this] { tick(); });
}

void NodeDaemon::stop()
{
    if (timer_)
        timer_->cancel();
    timer_.reset();
    if (queue_)
        queue_->sync([] {});
    std::lock_guard lock(mutex_);
    ctx_->fanPolicy.release();
    ctx_->inhibitors->hold(false);
}

void NodeDaemon::tick()
{
    std::lock_guard lock(mutex_);
    ctx_->tick();
}

daemonserver::ShapedReply NodeDaemon::respond(const QByteArray& requestBytes, const daemonserver::PeerCredentials& peer)
{
    const auto parsed = daemonserver::parseRequest(requestBytes);
    if (!parsed.request) {
        std::lock_guard lock(mutex_);
        ctx_->diagnostic(QStringLiteral("warning"), QStringLiteral("ipc"),
                         QStringLiteral("Rejected a request: ")
                             + parsed.errorReply.value(QStringLiteral("message")).toString());
        return daemonserver::plainReply(parsed.errorReply);
    }
    return daemonserver::plainReply(handle(*parsed.request, peer));
}

QJsonObject NodeDaemon::handle(const QJsonObject& request, const daemonserver::PeerCredentials& peer)
{
    const auto command = json::string(request, QStringLiteral("cmd"));
    if (!command || command->isEmpty())
        return errorReply(QStringLiteral("ERR_MISSING_COMMAND"), QStringLiteral("The request has no \"cmd\" string."));
    std::lock_guard lock(mutex_);
    const auto* entry = table_.find(*command);
    if (!entry) {
        ctx_->diagnostic(QStringLiteral("warning"), QStringLiteral("ipc"),
                         QStringLiteral("Unknown command ") + *command);
        return errorReply(QStringLiteral("ERR_UNKNOWN_COMMAND"), QStringLiteral("Unknown command: ") + *command);
    }
    const AuthorizationDecision decision = authorizer_->authorize(peer, *command);
    if (!decision.allowed) {
        const QString who = peer.known ? QStringLiteral("uid %1 (pid %2)").arg(peer.uid).arg(peer.pid)
                                       : QStringLiteral("an unidentified peer");
        ctx_->diagnostic(QStringLiteral("warning"), QStringLiteral("auth"),
                         QStringLiteral("Refused %1 from %2").arg(*command, who));
        if (logRequests_)
            logLine(QStringLiteral("vantrel-node: refused %1 from %2").arg(*command, who));
        return errorReply(QStringLiteral("ERR_NOT_AUTHORIZED"),
                          QStringLiteral("Changing this machine needs root, the \"vantrel\" group or the active "
                                         "local session."),
                          {{QStringLiteral("reason"), QStringLiteral("not_authorized")}});
    }
    // A command from a peer allowed to change the machine shows the application is alive.
    if (decision.grant)
        ctx_->renewLease();
    const QJsonObject reply = entry->handler(*ctx_, request);
    if (!entry->quiet) {
        const QString status = reply.value(QStringLiteral("status")).toString();
        const QString code = reply.value(QStringLiteral("code")).toString();
        const QString line
            = *command + QStringLiteral(" -> ") + status + (code.isEmpty() ? QString() : QStringLiteral(" ") + code);
        ctx_->diagnostic(status == QLatin1String("ok") ? QStringLiteral("info") : QStringLiteral("warning"),
                         QStringLiteral("ipc"), line);
        if (logRequests_)
            logLine(QStringLiteral("vantrel-node: ") + line);
    }
    return reply;
}

} // namespace vantrel::node
