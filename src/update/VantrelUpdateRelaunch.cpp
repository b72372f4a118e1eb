#include "update/VantrelUpdateRelaunch.h"

#include <QJsonObject>
#include <QPointer>

#include "base/Log.h"
#include "daemon/DaemonClient.h"

namespace vantrel {

VantrelUpdateRelaunch::VantrelUpdateRelaunch(Dispatch& dispatch, std::shared_ptr<const DaemonClient> daemon,
                                             Preferences& preferences, QString installedVersion,
                                             QString installedBundleVersion, QObject* parent)
    : QObject(parent)
    , dispatch_(dispatch)
    , daemon_(std::move(daemon))
    , preferences_(preferences)
    , installedVersion_(std::move(installedVersion))
    , installedBundleVersion_(std::move(installedBundleVersion))
{ }

QString VantrelUpdateRelaunch::releaseMark() const
{
    return installedVersion_ + QStringLiteral(" (") + installedBundleVersion_ + QLatin1Char(')');
}

void VantrelUpdateRelaunch::acknowledgePendingUpdateRelaunch()
{
    std::weak_ptr<const DaemonClient> daemon = daemon_;
    auto main = dispatch_.main();
    QPointer<VantrelUpdateRelaunch> self(this);
    const QString version = installedVersion_;
    const QString bundle = installedBundleVersion_;
    dispatch_.global(QoS::Utility)->async([daemon, main, self, version, bundle] {
        auto client = daemon.lock();
        if (!client)
            return;
        const auto state = client->getUpdateInstallationState();
        if (!state)
            return;
        const QString id = state->value(QStringLiteral("transaction_id")).toString();
        const QString name = state->value(QStringLiteral("state")).toString();
        const bool ours = state->value(QStringLiteral("version")).toString() == version
            && state->value(QStringLiteral("bundle_version")).toString() == bundle;
        const bool ready = name == QLatin1String("postinstall_verified") || name == QLatin1String("completed");
        if (id.isEmpty() || !ours || !ready || state->value(QStringLiteral("app_relaunch_acknowledged")).toBool())
            return;
        if (!client->acknowledgeUpdateAppRelaunch(id))
            return;
        main->async([self, id] {
            if (!self)
                return;
            logLine(QStringLiteral("[VantrelUpdateService] Acknowledged the relaunch after update ") + id);
            self->preferences_.setValue(pendingNotesKey, self->releaseMark());
            Q_EMIT self->acknowledged(id);
        });
    });
}

std::optional<VantrelUpdateReleaseNotes::LocalizedNotes>
VantrelUpdateRelaunch::takePendingReleaseNotes(const std::optional<VantrelUpdateReleaseNotes::Document>& notes,
                                               const QString& lang)
{
    if (preferences_.stringValue(pendingNotesKey) != releaseMark())
        return std::nullopt;
    preferences_.remove(pendingNotesKey);
    if (!notes || notes->version != installedVersion_ || notes->bundleVersion != installedBundleVersion_)
        return std::nullopt;
    return notes->notes(lang);
}

} // namespace vantrel
