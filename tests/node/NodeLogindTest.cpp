// logind on a private bus: the sleep inhibitors, taken on request and dropped when the
// application's lease runs out, and the active local session's user for authorization.
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <mutex>
#include <vector>

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusUnixFileDescriptor>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <gtest/gtest.h>

#include "NodeTestSupport.h"
#include "node/daemon/LogindSessionLookup.h"
#include "node/daemon/SleepInhibitors.h"

using namespace vantrel;

// logind's (so) session reference and (uo) user reference.
struct SessionRef {
    QString id;
    QDBusObjectPath path;
};
struct UserRef {
    uint uid = 0;
    QDBusObjectPath path;
};
Q_DECLARE_METATYPE(SessionRef)
Q_DECLARE_METATYPE(UserRef)

QDBusArgument& operator<<(QDBusArgument& a, const SessionRef& r)
{
    a.beginStructure();
    a << r.id << r.path;
    a.endStructure();
    return a;
}
const QDBusArgument& operator>>(const QDBusArgument& a, SessionRef& r)
{
    a.beginStructure();
    a >> r.id >> r.path;
    a.endStructure();
    return a;
}
QDBusArgument& operator<<(QDBusArgument& a, const UserRef& r)
{
    a.beginStructure();
    a << r.uid << r.path;
    a.endStructure();
    return a;
}
const QDBusArgument& operator>>(const QDBusArgument& a, UserRef& r)
{
    a.beginStructure();
    a >> r.uid >> r.path;
    a.endStructure();
    return a;
}

namespace {

class FakeSeat : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Seat")
    Q_PROPERTY(SessionRef ActiveSession READ activeSession)
public:
    SessionRef active{QStringLiteral("c2"), QDBusObjectPath(QStringLiteral("/org/freedesktop/login1/session/c2"))};
    SessionRef activeSession() const { return active; }
};

class FakeLoginSession : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Session")
    Q_PROPERTY(UserRef User READ user)
    Q_PROPERTY(bool Remote READ remote)
public:
    std::atomic<bool> isRemote{false};
    UserRef user() const { return {1000, QDBusObjectPath(QStringLiteral("/org/freedesktop/login1/user/_1000"))}; }
    bool remote() const { return isRemote; }
};

class FakeLogind : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")
public:
    std::mutex mutex;
    QStringList inhibited; // "what/mode"
    std::vector<int> readEnds;

public Q_SLOTS:
    QDBusUnixFileDescriptor Inhibit(const QString& what, const QString&, const QString&, const QString& mode)
    {
        int fds[2];
        if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
            return {};
        QDBusUnixFileDescriptor handed(fds[1]);
        ::close(fds[1]);
        std::lock_guard lock(mutex);
        inhibited << what + QLatin1Char('/') + mode;
        readEnds.push_back(fds[0]);
        return handed;
    }
};

class PrivateBus {
public:
    PrivateBus()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty())
            return;
        daemon_.start(QStringLiteral("dbus-daemon"),
                      {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address")});
        if (daemon_.waitForReadyRead(10000))
            address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
    }
    ~PrivateBus()
    {
        daemon_.kill();
        daemon_.waitForFinished(5000);
    }
    QString address() const { return address_; }

private:
    QProcess daemon_;
    QString address_;
};

// Whether the other end of an inhibitor's descriptor is still open (the inhibitor still held).
bool stillHeld(int readEnd)
{
    char c;
    return ::read(readEnd, &c, 1) < 0 && errno == EAGAIN;
}

} // namespace

TEST(NodeLogind, SleepInhibitorsAreHeldAndDroppedWithTheLease)
{
    PrivateBus bus;
    if (bus.address().isEmpty())
        GTEST_SKIP() << "dbus-daemon is not installed";
    QThread serviceThread;
    FakeLogind logind;
    logind.moveToThread(&serviceThread);
    serviceThread.start();
    QDBusConnection server = QDBusConnection::connectToBus(bus.address(), QStringLiteral("fake-node-logind"));
    ASSERT_TRUE(
        server.registerObject(QStringLiteral("/org/freedesktop/login1"), &logind, QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(server.registerService(QStringLiteral("org.freedesktop.login1")));

    {
        test::FakeNode node(test::buildThinkpad, false);
        auto inhibitors = std::make_shared<node::LogindSleepInhibitors>(bus.address());
        EXPECT_TRUE(inhibitors->available());
        node.daemon = std::make_unique<node::NodeDaemon>(
            node::NodeConfig{node.dir.path(), node.dir.file(QStringLiteral("var/lib/vantrel")),
                             test::FakeSysfsTree::kernelWriter()},
            node.dispatch, inhibitors,
            std::make_shared<node::Authorizer>(node.sessions, node.groups, test::kDaemonUid));
        node.daemon->start();
        EXPECT_TRUE(node.call("get_hardware_profile")["supports_clamshell"].toBool());

        const auto reply = node.call("set_system_sleep_disabled", {{"enabled", true}, {"persist_user_intent", false}});
        EXPECT_TRUE(reply["effective_enabled"].toBool());
        {
            std::lock_guard lock(logind.mutex);
            EXPECT_EQ(logind.inhibited,
                      (QStringList{QStringLiteral("sleep/block"), QStringLiteral("handle-lid-switch/block")}));
            ASSERT_EQ(logind.readEnds.size(), 2u);
            EXPECT_TRUE(stillHeld(logind.readEnds[0]));
            EXPECT_TRUE(stillHeld(logind.readEnds[1]));
        }
        node.advance(16);
        EXPECT_FALSE(stillHeld(logind.readEnds[0])) << "the lease lapsed: logind's sleep inhibitor is gone";
        EXPECT_FALSE(stillHeld(logind.readEnds[1]));
        EXPECT_FALSE(node.call("get_power_policy_state")["system_sleep_disabled_by_vantrel"].toBool());

        // Without logind the request is accepted but not in effect, and says why.
        server.unregisterService(QStringLiteral("org.freedesktop.login1"));
        const auto refused
            = node.call("set_system_sleep_disabled", {{"enabled", true}, {"persist_user_intent", false}});
        EXPECT_EQ(refused["status"].toString(), "ok");
        EXPECT_FALSE(refused["effective_enabled"].toBool());
        EXPECT_EQ(refused["code"].toString(), "SLEEP_INHIBITOR_UNAVAILABLE");
        EXPECT_FALSE(inhibitors->available());
    }
    for (int fd : logind.readEnds)
        ::close(fd);
    QDBusConnection::disconnectFromBus(QStringLiteral("fake-node-logind"));
    serviceThread.quit();
    serviceThread.wait();
}

TEST(NodeLogind, TheActiveLocalSessionsUserComesFromSeat0)
{
    PrivateBus bus;
    if (bus.address().isEmpty())
        GTEST_SKIP() << "dbus-daemon is not installed";
    qDBusRegisterMetaType<SessionRef>();
    qDBusRegisterMetaType<UserRef>();
    QThread serviceThread;
    FakeSeat seat;
    FakeLoginSession session;
    seat.moveToThread(&serviceThread);
    session.moveToThread(&serviceThread);
    serviceThread.start();
    QDBusConnection server = QDBusConnection::connectToBus(bus.address(), QStringLiteral("fake-node-seat"));
    ASSERT_TRUE(server.registerObject(QStringLiteral("/org/freedesktop/login1/seat/seat0"), &seat,
                                      QDBusConnection::ExportAllProperties));
    ASSERT_TRUE(server.registerObject(QStringLiteral("/org/freedesktop/login1/session/c2"), &session,
                                      QDBusConnection::ExportAllProperties));
    ASSERT_TRUE(server.registerService(QStringLiteral("org.freedesktop.login1")));

    const node::LogindSessionLookup lookup(bus.address());
    EXPECT_EQ(lookup.activeLocalSessionUid(), std::optional<uid_t>(1000));
    session.isRemote = true;
    EXPECT_EQ(lookup.activeLocalSessionUid(), std::nullopt) << "an ssh session is not the local user";
    server.unregisterService(QStringLiteral("org.freedesktop.login1"));
    session.isRemote = false;
    EXPECT_EQ(lookup.activeLocalSessionUid(), std::nullopt) << "no logind, no session";

    QDBusConnection::disconnectFromBus(QStringLiteral("fake-node-seat"));
    serviceThread.quit();
    serviceThread.wait();
}

#include "NodeLogindTest.moc"
