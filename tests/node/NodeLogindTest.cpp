// The sleep inhibitors over a fake logind on a private bus: taken on request, dropped when the
// application's lease runs out.
#include <fcntl.h>
#include <unistd.h>

#include <mutex>
#include <vector>

#include <QDBusConnection>
#include <QDBusUnixFileDescriptor>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <gtest/gtest.h>

#include "NodeTestSupport.h"
#include "node/daemon/SleepInhibitors.h"

using namespace vantrel;

namespace {

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

#include "NodeLogindTest.moc"
