#include "node/daemon/Authorizer.h"

#include <grp.h>
#include <pwd.h>

#include <vector>

#include <QSet>

namespace vantrel::node {

bool SystemGroupMembership::isMember(uid_t uid, gid_t primaryGid, const QString& group) const
{
    const QByteArray name = group.toUtf8();
    const struct group* entry = ::getgrnam(name.constData());
    if (!entry)
        return false;
    const gid_t wanted = entry->gr_gid;
    if (primaryGid == wanted)
        return true;
    const passwd* user = ::getpwuid(uid);
    if (!user)
        return false;
    int count = 64;
    std::vector<gid_t> groups(static_cast<std::size_t>(count));
    if (::getgrouplist(user->pw_name, primaryGid, groups.data(), &count) < 0) {
        groups.resize(static_cast<std::size_t>(count));
        if (::getgrouplist(user->pw_name, primaryGid, groups.data(), &count) < 0)
            return false;
    }
    groups.resize(static_cast<std::size_t>(count));
    for (const gid_t g : groups)
        if (g == wanted)
            return true;
    return false;
}

Authorizer::Authorizer(std::shared_ptr<const SessionLookup> sessions, std::shared_ptr<const GroupMembership> groups,
                       uid_t daemonUid)
    : sessions_(std::move(sessions))
    , groups_(std::move(groups))
    , daemonUid_(daemonUid)
{ }

bool Authorizer::isReadOnly(const QString& command)
{
    static const QSet<QString> readOnly{
        QStringLiteral("get_status"),
        QStringLiteral("get_system_snapshot"),
        QStringLiteral("get_power_policy_state"),
        QStringLiteral("get_power_source_info"),
        QStringLiteral("get_hardware_profile"),
        QStringLiteral("get_user_settings_state"),
        QStringLiteral("get_runtime_ownership"),
        QStringLiteral("get_update_installation_state"),
        QStringLiteral("get_evidence_events"),
        QStringLiteral("get_diagnostic_events"),
        QStringLiteral("get_diagnostic_package_preview"),
    };
    return readOnly.contains(command);
}

AuthorizationDecision Authorizer::authorize(const daemonserver::PeerCredentials& peer, const QString& command) const
{
    if (isReadOnly(command))
        return {true, std::nullopt};
    // A peer the kernel cannot name gets nothing that changes the machine.
    if (!peer.known)
        return {};
    if (peer.uid == 0)
        return {true, AuthorizationGrant::Root};
    if (peer.uid == daemonUid_)
        return {true, AuthorizationGrant::DaemonUser};
    if (groups_ && groups_->isMember(peer.uid, peer.gid, QLatin1String(kGroupName)))
        return {true, AuthorizationGrant::Group};
    if (sessions_) {
        const auto active = sessions_->activeLocalSessionUid();
        if (active && *active == peer.uid)
            return {true, AuthorizationGrant::ActiveSession};
    }
    return {};
}

} // namespace vantrel::node
