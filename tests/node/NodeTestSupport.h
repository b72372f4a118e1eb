#pragma once
// vantrel-node on a fake machine: a ThinkPad-like tree (BAT0 with thresholds, AC, a thinkpad
// fan chip, coretemp, an NVMe drive and DMI) under a temporary VANTREL_ROOT, virtual time,
// inhibitors kept in memory, and peers whose credentials the test chooses.
#include <memory>

#include <QJsonObject>

#include "base/VirtualDispatch.h"
#include "node/daemon/NodeDaemon.h"
#include "node/support/FakeSysfsTree.h"
#include "support/TempDir.h"

namespace vantrel::test {

class FakeInhibitors final : public node::SleepInhibitors {
public:
    bool hold(bool held) override
    {
        if (held)
            ++attempts;
        if (held && refuse)
            return false;
        held_ = held;
        return true;
    }
    bool held() const override { return held_; }
    bool available() const override
    {
        ++availabilityQueries;
        return !refuse;
    }

    bool refuse = false;
    int attempts = 0; // requests to take the inhibitor
    mutable int availabilityQueries = 0; // questions whether logind answers at all

private:
    bool held_ = false;
};

class FakeSessions final : public node::SessionLookup {
public:
    std::optional<uid_t> activeLocalSessionUid() const override { return active; }
    std::optional<uid_t> active;
};

class FakeGroups final : public node::GroupMembership {
public:
    bool isMember(uid_t uid, gid_t, const QString& group) const override
    {
        return group == QLatin1String("vantrel") && members.contains(uid);
    }
    QList<uid_t> members;
};

inline constexpr uid_t kDaemonUid = 990;

inline daemonserver::PeerCredentials peerWithUid(uid_t uid) { return {true, 4321, uid, uid}; }

// A ThinkPad T14 (BAT0 at 79 % with thresholds 75/80, on AC) with a controllable fan.
inline void buildThinkpad(const QString& root)
{
    FakeSysfsTree::thinkpadLaptop(root);
    FakeSysfsTree::thinkpadFans(root);
    FakeSysfsTree::hwmon(root, 1, {{"name", "nvme"}, {"temp1_input", "38850"}, {"temp1_label", "Composite"}});
    FakeSysfsTree::write(root, QStringLiteral("sys/class/dmi/id/sys_vendor"), "LENOVO\n");
    FakeSysfsTree::write(root, QStringLiteral("sys/class/dmi/id/product_name"), "21CB\n");
    FakeSysfsTree::write(root, QStringLiteral("sys/class/dmi/id/product_version"), "ThinkPad T14 Gen 3\n");
    FakeSysfsTree::write(root, QStringLiteral("sys/class/dmi/id/chassis_type"), "10\n");
}

class FakeNode {
public:
    // build fills the tree before the daemon first looks at it.
    explicit FakeNode(void (*build)(const QString& root) = buildThinkpad, bool start = true)
    {
        build(dir.path());
        if (start)
            this->start();
    }

    void start()
    {
        daemon = std::make_unique<node::NodeDaemon>(
            node::NodeConfig{dir.path(), dir.file(QStringLiteral("var/lib/vantrel")), FakeSysfsTree::kernelWriter()},
            dispatch, inhibitors, std::make_shared<node::Authorizer>(sessions, groups, kDaemonUid));
        daemon->start();
    }

    // A request from root (allowed everything).
    QJsonObject call(const QString& cmd, QJsonObject args = {}, uid_t uid = 0)
    {
        args.insert(QStringLiteral("cmd"), cmd);
        return daemon->handle(args, peerWithUid(uid));
    }
    QString file(const QString& relative) const
    {
        return FakeSysfsTree::read(dir.path(), relative).value_or(QStringLiteral("<missing>"));
    }
    // Moves virtual time on; the policy loop runs on its timer.
    void advance(double seconds) { dispatch.advanceSeconds(seconds); }

    TempDir dir;
    VirtualDispatch dispatch;
    std::shared_ptr<FakeInhibitors> inhibitors = std::make_shared<FakeInhibitors>();
    std::shared_ptr<FakeSessions> sessions = std::make_shared<FakeSessions>();
    std::shared_ptr<FakeGroups> groups = std::make_shared<FakeGroups>();
    std::unique_ptr<node::NodeDaemon> daemon;
};

} // namespace vantrel::test
