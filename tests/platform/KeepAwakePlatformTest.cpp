// The keep-awake platform services: programs started and polled, the lid from logind or the ACPI
// files, logind inhibitors and the screen-saver inhibit, the session lock, and the simulated Mac's
// counterparts.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QDBusUnixFileDescriptor>
#include <QDeadlineTimer>
#include <QThread>

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/linux/LinuxLidState.h"
#include "platform/linux/LinuxPowerAssertions.h"
#include "platform/linux/LinuxProcessRunner.h"
#include "platform/linux/LinuxScreenLock.h"
#include "platform/sim/SimLidState.h"
#include "platform/sim/SimPowerAssertions.h"
#include "platform/sim/SimScreenLock.h"
#include "support/FakeDaemonTransport.h"
#include "support/PrivateSessionBus.h"
#include "support/TempDir.h"

namespace vantrel {
namespace {

bool waitUntilEnded(RunningProcess& p)
{
    QDeadlineTimer deadline(10000);
    while (p.isRunning()) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(5);
    }
    return true;
}

TEST(LinuxProcessRunner, LaunchedProgramsArePolledToTheirEndOrTerminated)
{
    LinuxProcessRunner runner;
    QString error;
    auto failing = runner.launch(QStringLiteral("/bin/sh"),
                                 {QStringLiteral("-c"), QStringLiteral("echo out; echo ' oops ' >&2; exit 3")}, &error);
    ASSERT_TRUE(failing) << error.toStdString();
    ASSERT_TRUE(waitUntilEnded(*failing));
    EXPECT_EQ(failing->exitStatus(), 3);
    EXPECT_EQ(failing->readStandardError(), " oops \n"); // standard output is discarded

    EXPECT_FALSE(runner.launch(QStringLiteral("/nonexistent/pmset"), {}, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("No such file"))) << error.toStdString();

    // A chatty program does not stall on a full pipe; what is kept is bounded.
    auto chatty = runner.launch(QStringLiteral("/bin/sh"),
                                {QStringLiteral("-c"), QStringLiteral("head -c 300000 /dev/zero >&2")}, &error);
    ASSERT_TRUE(chatty);
    ASSERT_TRUE(waitUntilEnded(*chatty));
    EXPECT_EQ(chatty->exitStatus(), 0);
    EXPECT_EQ(chatty->readStandardError().size(), 64 * 1024);

    auto hung = runner.launch(QStringLiteral("/bin/sleep"), {QStringLiteral("30")}, &error);
    ASSERT_TRUE(hung);
    EXPECT_TRUE(hung->isRunning());
    hung->terminate();
    ASSERT_TRUE(waitUntilEnded(*hung));
    EXPECT_EQ(hung->exitStatus(), -1);
    // Dropping a program that still runs kills it rather than leaving it behind.
    auto dropped = runner.launch(QStringLiteral("/bin/sleep"), {QStringLiteral("30")}, &error);
    ASSERT_TRUE(dropped);
    dropped.reset();
}

TEST(LinuxLidState, ReadsTheAcpiButtonFilesAndIsUnknownWithoutThem)
{
    EXPECT_EQ(LinuxLidState::parseAcpiState("state:      closed\n"), true);
    EXPECT_EQ(LinuxLidState::parseAcpiState("state:      open\n"), false);
    EXPECT_EQ(LinuxLidState::parseAcpiState("state: unknown\n"), std::nullopt);
    EXPECT_EQ(LinuxLidState::parseAcpiState(""), std::nullopt);

    test::TempDir dir;
    const QString lids = dir.file(QStringLiteral("proc/acpi/button/lid"));
    EXPECT_EQ(LinuxLidState(lids, {}, false).lidClosed(), std::nullopt); // no /proc/acpi (Apple silicon)
    dir.write(QStringLiteral("proc/acpi/button/lid/LID0/state"), "garbage");
    EXPECT_EQ(LinuxLidState(lids, {}, false).lidClosed(), std::nullopt);
    dir.write(QStringLiteral("proc/acpi/button/lid/LID1/state"), "state:      closed\n");
    EXPECT_EQ(LinuxLidState(lids, {}, false).lidClosed(), true);
    dir.write(QStringLiteral("proc/acpi/button/lid/LID1/state"), "state:      open\n");
    EXPECT_EQ(LinuxLidState(lids, {}, false).lidClosed(), false);
    // A bus nobody answers on falls back to the files.
    EXPECT_EQ(LinuxLidState(lids, QStringLiteral("unix:path=/nonexistent/bus")).lidClosed(), false);
}

TEST(SimKeepAwakeServices, AssertionsLockAndLidGoThroughTheSimulator)
{
    auto transport = std::make_shared<test::FakeDaemonTransport>();
    SimPowerAssertions assertions(transport);
    SimScreenLock lock(transport);

    // Silent, refusing or nonsensical answers are no assertion.
    EXPECT_EQ(assertions.create(QStringLiteral("PreventSystemSleep"), QStringLiteral("Vantrel Keep-Alive")),
              std::nullopt);
    EXPECT_EQ(lock.lockScreen().status, ScreenLockResult::Status::ServiceUnavailable);
    transport->replyOk(QStringLiteral("sim_platform"), {{QStringLiteral("assertion_id"), 0}});
    EXPECT_EQ(assertions.create(QStringLiteral("PreventSystemSleep"), QStringLiteral("Vantrel Keep-Alive")),
              std::nullopt);

    transport->replyOk(QStringLiteral("sim_platform"), {{QStringLiteral("assertion_id"), 7}});
    EXPECT_EQ(assertions.create(QStringLiteral("PreventSystemSleep"), QStringLiteral("Vantrel Keep-Alive")), 7u);
    EXPECT_TRUE(assertions.release(7));
    EXPECT_EQ(lock.lockScreen().status, ScreenLockResult::Status::Requested);
    const auto requests = transport->requests();
    ASSERT_GE(requests.size(), 3u);
    EXPECT_EQ(
        requests[requests.size() - 3],
        SimPowerAssertions::createRequest(QStringLiteral("PreventSystemSleep"), QStringLiteral("Vantrel Keep-Alive")));
    EXPECT_EQ(requests[requests.size() - 2], SimPowerAssertions::releaseRequest(7));
    EXPECT_EQ(requests.back(), SimScreenLock::simRequest());
    EXPECT_TRUE(assertions.holdLidSwitch(true));

    test::TempDir dir;
    SimLidState lid(dir.path());
    EXPECT_EQ(lid.lidClosed(), std::nullopt);
    dir.write(QStringLiteral("hardware.json"), R"({"lid_closed": "yes"})");
    EXPECT_EQ(lid.lidClosed(), std::nullopt);
    dir.write(QStringLiteral("hardware.json"), R"({"lid_closed": true})");
    EXPECT_EQ(lid.lidClosed(), true);
}

// logind and the desktop's screen saver, as far as the application uses them.
class FakeLogind : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")
    Q_PROPERTY(bool LidClosed READ lidClosed)
public:
    std::atomic<bool> closed{true};
    std::mutex mutex;
    QStringList inhibited; // "what/why"
    std::vector<int> readEnds;

    bool lidClosed() const { return closed; }

public Q_SLOTS:
    QDBusUnixFileDescriptor Inhibit(const QString& what, const QString&, const QString& why, const QString&)
    {
        int fds[2];
        if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
            return {};
        QDBusUnixFileDescriptor handed(fds[1]);
        ::close(fds[1]);
        std::lock_guard lock(mutex);
        inhibited << what + QLatin1Char('/') + why;
        readEnds.push_back(fds[0]);
        return handed;
    }
    QDBusObjectPath GetSessionByPID(uint)
    {
        return QDBusObjectPath(QStringLiteral("/org/freedesktop/login1/session/_31"));
    }
};

class FakeSession : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Session")
public:
    std::atomic<int> locks{0};
public Q_SLOTS:
    void Lock() { ++locks; }
};

class FakeScreenSaver : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
public:
    std::mutex mutex;
    std::vector<uint> active;
public Q_SLOTS:
    uint Inhibit(const QString&, const QString&)
    {
        std::lock_guard lock(mutex);
        active.push_back(42);
        return 42;
    }
    void UnInhibit(uint cookie)
    {
        std::lock_guard lock(mutex);
        std::erase(active, cookie);
    }
};

// Whether the other end of an inhibitor's descriptor is still open (the inhibitor still held).
bool stillHeld(int readEnd)
{
    char c;
    return ::read(readEnd, &c, 1) < 0 && errno == EAGAIN;
}

TEST(LinuxKeepAwakeServices, InhibitorsLockAndLidOverDBus)
{
    test::PrivateSessionBus bus;
    if (bus.address().isEmpty())
        GTEST_SKIP() << "dbus-daemon is not installed";

    // The services answer from their own thread: the backends' calls block their caller.
    QThread serviceThread;
    FakeLogind logind;
    FakeSession session;
    FakeScreenSaver screenSaver;
    logind.moveToThread(&serviceThread);
    session.moveToThread(&serviceThread);
    screenSaver.moveToThread(&serviceThread);
    serviceThread.start();
    QDBusConnection server = bus.connect(QStringLiteral("fake-logind"));
    ASSERT_TRUE(server.registerObject(QStringLiteral("/org/freedesktop/login1"), &logind,
                                      QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties));
    ASSERT_TRUE(server.registerObject(QStringLiteral("/org/freedesktop/login1/session/_31"), &session,
                                      QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(server.registerObject(QStringLiteral("/org/freedesktop/ScreenSaver"), &screenSaver,
                                      QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(server.registerService(QStringLiteral("org.freedesktop.login1")));
    ASSERT_TRUE(server.registerService(QStringLiteral("org.freedesktop.ScreenSaver")));

    LinuxPowerAssertions assertions(bus.address(), bus.address());
    const auto system = assertions.create(QStringLiteral("PreventSystemSleep"), QStringLiteral("Vantrel Keep-Alive"));
    const auto idle
        = assertions.create(QStringLiteral("PreventUserIdleSystemSleep"), QStringLiteral("Vantrel Keep-Alive"));
    const auto display
        = assertions.create(QStringLiteral("NoDisplaySleepAssertion"), QStringLiteral("Vantrel Stay Awake"));
    ASSERT_TRUE(system && idle && display);
    EXPECT_EQ(assertions.create(QStringLiteral("SomethingElse"), QStringLiteral("x")), std::nullopt);
    EXPECT_TRUE(assertions.holdLidSwitch(true));
    {
        std::lock_guard lock(logind.mutex);
        EXPECT_EQ(logind.inhibited,
                  (QStringList{QStringLiteral("sleep/Vantrel Keep-Alive"), QStringLiteral("idle/Vantrel Keep-Alive"),
                               QStringLiteral("handle-lid-switch/Vantrel Virtual Clamshell")}));
        ASSERT_EQ(logind.readEnds.size(), 3u);
        EXPECT_TRUE(stillHeld(logind.readEnds[0]));
    }
    EXPECT_EQ(screenSaver.active.size(), 1u);

    EXPECT_TRUE(assertions.release(*system));
    EXPECT_FALSE(assertions.release(*system));
    EXPECT_TRUE(assertions.release(*display));
    EXPECT_TRUE(assertions.holdLidSwitch(false));
    EXPECT_FALSE(stillHeld(logind.readEnds[0]));
    EXPECT_TRUE(stillHeld(logind.readEnds[1]));
    EXPECT_FALSE(stillHeld(logind.readEnds[2]));
    EXPECT_TRUE(screenSaver.active.empty());

    LinuxScreenLock lock(bus.address());
    EXPECT_EQ(lock.lockScreen().status, ScreenLockResult::Status::Requested);
    EXPECT_EQ(session.locks.load(), 1);

    test::TempDir dir;
    LinuxLidState lid(dir.file(QStringLiteral("none")), bus.address());
    EXPECT_EQ(lid.lidClosed(), true);
    logind.closed = false;
    EXPECT_EQ(lid.lidClosed(), false);

    // Without logind nothing is held and the lock reports the missing service.
    server.unregisterService(QStringLiteral("org.freedesktop.login1"));
    EXPECT_EQ(assertions.create(QStringLiteral("PreventSystemSleep"), QStringLiteral("Vantrel Keep-Alive")),
              std::nullopt);
    const ScreenLockResult refused = lock.lockScreen();
    EXPECT_EQ(refused.status, ScreenLockResult::Status::ServiceUnavailable);
    EXPECT_TRUE(refused.error.contains(QStringLiteral("ServiceUnknown"))) << refused.error.toStdString();
    EXPECT_EQ(lid.lidClosed(), std::nullopt);

    for (int fd : logind.readEnds)
        ::close(fd);
    QDBusConnection::disconnectFromBus(QStringLiteral("fake-logind"));
    serviceThread.quit();
    serviceThread.wait();
}

} // namespace
} // namespace vantrel

#include "KeepAwakePlatformTest.moc"
