#pragma once
// Who may do what over the daemon socket. Reading is open to every local user; a command that
// changes the machine is for root, the daemon's own user, members of the "vantrel" group and
// the user of the active local session. The session and group lookups are injected so tests
// can stand in for logind and the group database.
#include <memory>
#include <optional>

#include <QString>

#include "daemonserver/PeerCredentials.h"

namespace vantrel::node {

class SessionLookup {
public:
    virtual ~SessionLookup() = default;
    // The user of the active session on the local seat, nothing when none (or unknown).
    virtual std::optional<uid_t> activeLocalSessionUid() const = 0;
};

class GroupMembership {
public:
    virtual ~GroupMembership() = default;
    // Whether the user (with its primary group) belongs to the named group.
    virtual bool isMember(uid_t uid, gid_t primaryGid, const QString& group) const = 0;
};

// The system group database (getgrnam, getgrouplist).
class SystemGroupMembership final : public GroupMembership {
public:
    bool isMember(uid_t uid, gid_t primaryGid, const QString& group) const override;
};

enum class AuthorizationGrant {
    Root,
    DaemonUser,
    Group,
    ActiveSession,
};

struct AuthorizationDecision {
    bool allowed = false;
    std::optional<AuthorizationGrant> grant; // why a changing command was allowed
};

class Authorizer {
public:
    static constexpr const char* kGroupName = "vantrel";

    Authorizer(std::shared_ptr<const SessionLookup> sessions, std::shared_ptr<const GroupMembership> groups,
               uid_t daemonUid);

    // Commands that only read; anything else changes the machine or the daemon's state.
    static bool isReadOnly(const QString& command);
    AuthorizationDecision authorize(const daemonserver::PeerCredentials& peer, const QString& command) const;

private:
    std::shared_ptr<const SessionLookup> sessions_;
    std::shared_ptr<const GroupMembership> groups_;
    uid_t daemonUid_;
};

} // namespace vantrel::node
