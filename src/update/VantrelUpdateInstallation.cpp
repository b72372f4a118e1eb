#include "update/VantrelUpdateInstallation.h"

#include <algorithm>

#include <QJsonObject>

#include "base/JsonAccess.h"
#include "base/Log.h"
#include "daemon/DaemonClient.h"

namespace vantrel {

VantrelUpdateInstallation::VantrelUpdateInstallation(Dispatch& dispatch, VantrelUpdateService& service,
                                                     std::shared_ptr<const DaemonClient> daemon, QObject* parent)
    : QObject(parent)
    , dispatch_(dispatch)
    , service_(service)
    , daemon_(std::move(daemon))
{ }

VantrelUpdateInstallation::~VantrelUpdateInstallation()
{
    stopPolling();
    if (preparing_)
        service_.cancelPreparation();
}

// Runs `ask` with the daemon client (null once it is gone) on a worker queue, and hands its
// reply to `onReply` on the main queue unless this object was destroyed in between.
template <typename Ask> void VantrelUpdateInstallation::askDaemon(QoS qos, Ask ask, ReplyHandler onReply)
{
    std::weak_ptr<const DaemonClient> daemon = daemon_;
    auto main = dispatch_.main();
    QPointer<VantrelUpdateInstallation> self(this);
    dispatch_.global(qos)->async([daemon, main, self, ask = std::move(ask), onReply] {
        const auto client = daemon.lock();
        std::optional<QJsonObject> reply = ask(client.get());
        main->async([self, onReply, reply = std::move(reply)] {
            if (self)
                (self->*onReply)(reply);
        });
    });
}

std::optional<UpdateInstallationState> VantrelUpdateInstallation::mapState(const QString& state)
{
    static const QStringList running{QStringLiteral("preparing"),
                                     QStringLiteral("installing"),
                                     QStringLiteral("postinstall_bootstrap_authorized"),
                                     QStringLiteral("postinstall_verified"),
                                     QStringLiteral("app_relaunch_acknowledged"),
                                     QStringLiteral("rollback_pending_health")};
    if (running.contains(state))
        return UpdateInstallationState{QStringLiteral("settings.update.installing"), false, false};
    if (state == QLatin1String("completed"))
        return UpdateInstallationState{QStringLiteral("settings.update.completed"), true, false};
    if (state == QLatin1String("rolled_back"))
        return UpdateInstallationState{QStringLiteral("settings.update.rolled_back"), true, false};
    if (state == QLatin1String("recovery_failed") || state == QLatin1String("manual_recovery_required"))
        return UpdateInstallationState{QStringLiteral("settings.update.recovery_failed"), true, true};
    if (state == QLatin1String("launch_failed"))
        return UpdateInstallationState{QStringLiteral("settings.update.failed"), true, false};
    return std::nullopt;
}

std::optional<double> VantrelUpdateInstallation::downloadFraction() const
{
    if (!downloading_ || expectedBytes_ <= 0)
        return std::nullopt;
    return std::clamp(static_cast<double>(receivedBytes_) / static_cast<double>(expectedBytes_), 0.0, 1.0);
}

void VantrelUpdateInstallation::setStatus(const QString& key)
{
    if (statusKey_ == key)
        return;
    statusKey_ = key;
    Q_EMIT statusChanged();
}

void VantrelUpdateInstallation::setProgress(bool downloading, qint64 received, qint64 expected)
{
    if (downloading_ == downloading && receivedBytes_ == received && expectedBytes_ == expected)
        return;
    downloading_ = downloading;
    receivedBytes_ = received;
    expectedBytes_ = expected;
    Q_EMIT progressChanged();
}

void VantrelUpdateInstallation::showDownloadPreview(qint64 received, qint64 expected)
{
    setStatus(QStringLiteral("settings.update.checking"));
    setProgress(true, received, expected);
}

void VantrelUpdateInstallation::start()
{
    if (unsupportedPlatform_) {
        setStatus(QStringLiteral("settings.update.unsupported_platform"));
        return;
    }
    stopPolling();
    transactionID_.clear();
    offersRecovery_ = false;
    preparing_ = true;
    setProgress(false, 0, 0);
    statusKey_ = QStringLiteral("settings.update.checking");
    Q_EMIT statusChanged();
    service_.prepareUpdate(
        [self = QPointer<VantrelUpdateInstallation>(this)](const VantrelUpdateService::Result& result) {
        if (self)
            self->onPrepared(result);
        else if (const auto* prepared = std::get_if<VantrelPreparedUpdate>(&result))
            prepared->discard();
        },
        [self = QPointer<VantrelUpdateInstallation>(this)](qint64 received, qint64 expected) {
        if (self)
            self->setProgress(true, received, expected);
    });
}

void VantrelUpdateInstallation::onPrepared(const VantrelUpdateService::Result& result)
{
    preparing_ = false;
    setProgress(false, 0, 0);
    if (const auto* failure = std::get_if<UpdateFailure>(&result)) {
        const auto* error = std::get_if<VantrelUpdateError>(failure);
        if (error && error->kind == VantrelUpdateError::Kind::unsupportedPlatform)
            markUnsupportedPlatform();
        else
            setStatus(updateFailureStatusKey(*failure));
        return;
    }
    const auto prepared = std::get<VantrelPreparedUpdate>(result);
    const auto& settings = service_.settings();
    if (!prepared.isNewerThanInstalled(settings.installedVersion, settings.installedBundleVersion)) {
        prepared.discard();
        setStatus(QStringLiteral("settings.update.no_update"));
        return;
    }
    setStatus(QStringLiteral("settings.update.installing"));
    const auto install = [prepared](const DaemonClient* client) {
        std::optional<QJsonObject> reply;
        if (client)
            reply
                = client->installUserInitiatedUpdatePackage(prepared.localPackageURL, prepared.manifest.artifact.sha256,
                                                            prepared.manifest.version, prepared.manifest.bundleVersion);
        // The daemon keeps its own copy once it accepted the package; ours is no longer needed.
        prepared.discard();
        return reply;
    };
    askDaemon(QoS::UserInitiated, install, &VantrelUpdateInstallation::onInstallReply);
}

void VantrelUpdateInstallation::onInstallReply(const std::optional<QJsonObject>& reply)
{
    if (reply && updateErrorFromDaemonReply(*reply)) {
        markUnsupportedPlatform();
        return;
    }
    const QJsonValue id
        = reply && json::isOkStatus(*reply) ? reply->value(QStringLiteral("transaction_id")) : QJsonValue();
    if (!id.isString()) {
        setStatus(QStringLiteral("settings.update.failed"));
        return;
    }
    transactionID_ = id.toString();
    setStatus(QStringLiteral("settings.update.started"));
    polling_ = dispatch_.every(dispatch_.main(), pollInterval, Duration(200),
                               weakly(this, [](VantrelUpdateInstallation* self) { self->poll(); }));
}

void VantrelUpdateInstallation::poll()
{
    if (pollInFlight_)
        return;
    pollInFlight_ = true;
    askDaemon(
        QoS::Utility,
        [](const DaemonClient* client) { return client ? client->getUpdateInstallationState() : std::nullopt; },
        &VantrelUpdateInstallation::onStateReply);
}

void VantrelUpdateInstallation::onStateReply(const std::optional<QJsonObject>& reply)
{
    pollInFlight_ = false;
    if (!polling_ || !reply)
        return;
    if (reply->value(QStringLiteral("transaction_id")).toString() != transactionID_)
        return;
    const auto state = mapState(reply->value(QStringLiteral("state")).toString());
    if (!state)
        return;
    offersRecovery_ = state->offersRecovery;
    setStatus(state->statusKey);
    if (state->isFinal) {
        stopPolling();
        Q_EMIT statusChanged();
    }
}

void VantrelUpdateInstallation::checkPlatformSupport()
{
    if (platformChecked_ || platformCheckInFlight_)
        return;
    platformCheckInFlight_ = true;
    // The raw reply: the durable status file would hide the daemon's refusal.
    const auto ask = [](const DaemonClient* client) -> std::optional<QJsonObject> {
        if (!client)
            return std::nullopt;
        return client->send(QJsonObject{{QStringLiteral("cmd"), QStringLiteral("get_update_installation_state")}});
    };
    askDaemon(QoS::Utility, ask, &VantrelUpdateInstallation::onPlatformReply);
}

void VantrelUpdateInstallation::onPlatformReply(const std::optional<QJsonObject>& reply)
{
    platformCheckInFlight_ = false;
    if (!reply)
        return;
    platformChecked_ = true;
    if (updateErrorFromDaemonReply(*reply))
        markUnsupportedPlatform();
}

void VantrelUpdateInstallation::markUnsupportedPlatform()
{
    if (!unsupportedPlatform_)
        logLine(QStringLiteral("[VantrelUpdateInstallation] The daemon installs no updates on this platform"));
    unsupportedPlatform_ = true;
    stopPolling();
    if (preparing_) {
        service_.cancelPreparation();
        preparing_ = false;
        setProgress(false, 0, 0);
    }
    statusKey_ = QStringLiteral("settings.update.unsupported_platform");
    Q_EMIT statusChanged();
}

void VantrelUpdateInstallation::stopPolling()
{
    if (polling_)
        polling_->cancel();
    polling_.reset();
}

} // namespace vantrel
