#include "platform/DesktopServices.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QFile>

#include <gtest/gtest.h>

#include "base/VirtualDispatch.h"
#include "platform/linux/LinuxProcessActivity.h"
#include "platform/linux/LinuxUserNotifications.h"
#include "platform/linux/LinuxWorkspace.h"
#include "platform/sim/SimUserNotifications.h"
#include "support/FakeDaemonTransport.h"
#include "support/LogCapture.h"
#include "support/PrivateSessionBus.h"
#include "support/TempDir.h"

namespace vantrel {
namespace {

// The desktop's notification service, as far as the app talks to it.
class NotificationServer : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    QVariantList lastNotify;
    int notifyCalls = 0;

public Q_SLOTS:
    QStringList GetCapabilities() { return {QStringLiteral("body"), QStringLiteral("sound")}; }
    uint Notify(const QString& appName, uint replacesId, const QString& icon, const QString& summary,
                const QString& body, const QStringList& actions, const QVariantMap& hints, int timeout)
    {
        ++notifyCalls;
        lastNotify = {appName, replacesId, icon, summary, body, actions, hints, timeout};
        return 7;
    }
};

template <class Done> void spinUntil(Done done)
{
    QDeadlineTimer deadline(10000);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

TEST(LinuxUserNotifications, PostsThroughTheNotificationServiceAndReportsAMissingOne)
{
    test::PrivateSessionBus bus;
    if (bus.address().isEmpty())
        GTEST_SKIP() << "dbus-daemon is not installed";

    // No service on the bus yet: both calls report an error instead of hanging.
    LinuxUserNotifications notifications(QStringLiteral("Vantrel"), bus.address());
    std::optional<std::optional<QString>> delivered;
    notifications.add({QStringLiteral("id-1"), QStringLiteral("T"), QStringLiteral("B"), true},
                      [&](const std::optional<QString>& error) { delivered = error; });
    spinUntil([&] { return delivered.has_value(); });
    ASSERT_TRUE(delivered.has_value());
    ASSERT_TRUE(delivered->has_value());
    EXPECT_TRUE((*delivered)->contains(QStringLiteral("ServiceUnknown"))) << (*delivered)->toStdString();

    QDBusConnection server = bus.connect(QStringLiteral("notification-server"));
    NotificationServer service;
    ASSERT_TRUE(server.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &service,
                                      QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(server.registerService(QStringLiteral("org.freedesktop.Notifications")));

    std::optional<bool> granted;
    notifications.requestAuthorization([&](bool ok, const std::optional<QString>&) { granted = ok; });
    spinUntil([&] { return granted.has_value(); });
    EXPECT_EQ(granted, true);

    delivered.reset();
    notifications.add(
        {QStringLiteral("vantrel-runtime-admission-X"), QStringLiteral("제목"), QStringLiteral("본문"), true},
        [&](const std::optional<QString>& error) { delivered = error; });
    spinUntil([&] { return delivered.has_value(); });
    ASSERT_TRUE(delivered.has_value());
    EXPECT_FALSE(delivered->has_value()) << delivered->value_or(QString()).toStdString();
    ASSERT_EQ(service.notifyCalls, 1);
    ASSERT_EQ(service.lastNotify.size(), 8);
    EXPECT_EQ(service.lastNotify[0].toString(), QStringLiteral("Vantrel"));
    EXPECT_EQ(service.lastNotify[3].toString(), QStringLiteral("제목"));
    EXPECT_EQ(service.lastNotify[4].toString(), QStringLiteral("본문"));
    const QVariantMap hints = service.lastNotify[6].toMap();
    EXPECT_EQ(hints.value(QStringLiteral("sound-name")).toString(), QStringLiteral("message-new-instant"));
    EXPECT_EQ(hints.value(QStringLiteral("x-vantrel-identifier")).toString(),
              QStringLiteral("vantrel-runtime-admission-X"));
    server.unregisterService(QStringLiteral("org.freedesktop.Notifications"));
    QDBusConnection::disconnectFromBus(QStringLiteral("notification-server"));
}

TEST(SimUserNotifications, HandsEachNotificationToTheSimulatorAndKeepsItWhenRefused)
{
    test::LogCapture log;
    VirtualDispatch dispatch;
    auto transport = std::make_shared<test::FakeDaemonTransport>();
    SimUserNotifications notifications(dispatch, transport);
    int delivered = 0;
    notifications.add({QStringLiteral("n1"), QStringLiteral("Title"), QStringLiteral("Body"), true},
                      [&](const std::optional<QString>& error) { delivered += error ? 100 : 1; });
    notifications.add({QStringLiteral("n2"), QStringLiteral("Again"), QString(), false},
                      [&](const std::optional<QString>& error) { delivered += error ? 100 : 1; });
    dispatch.runUntilIdle();

    EXPECT_EQ(delivered, 2);
    const auto sent = transport->requestsFor(QStringLiteral("sim_platform"));
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0],
              (QJsonObject{{QStringLiteral("cmd"), QStringLiteral("sim_platform")},
                           {QStringLiteral("action"), QStringLiteral("post_notification")},
                           {QStringLiteral("identifier"), QStringLiteral("n1")},
                           {QStringLiteral("title"), QStringLiteral("Title")},
                           {QStringLiteral("body"), QStringLiteral("Body")},
                           {QStringLiteral("sound"), QStringLiteral("default")}}));
    ASSERT_EQ(notifications.posted().size(), 2u);
    EXPECT_EQ(notifications.posted()[1].title, QStringLiteral("Again"));
    // The simulator did not answer: said once, not per notification.
    EXPECT_EQ(log.count(QStringLiteral("SimPlatform: the simulator did not record")), 1);

    bool granted = false;
    notifications.requestAuthorization([&](bool ok, const std::optional<QString>&) { granted = ok; });
    dispatch.runUntilIdle();
    EXPECT_TRUE(granted);
}

TEST(LinuxDesktopServices, ActivitiesAreRecordedAndTheOpenerGetsValidUrlsOnly)
{
    LinuxProcessActivity activity;
    const auto first
        = activity.beginActivity(ProcessActivity::userInitiatedOptions, QStringLiteral("Vantrel App Nap suppression"));
    const auto second = activity.beginActivity(0, QStringLiteral("other"));
    EXPECT_NE(first, second);
    activity.endActivity(first);
    activity.endActivity(first);
    activity.endActivity(0);
    EXPECT_EQ(activity.activeReasons(), QStringList{QStringLiteral("other")});

    test::TempDir tmp;
    const QString record = tmp.file(QStringLiteral("opened"));
    const QString opener = tmp.write(QStringLiteral("bin/opener"),
                                     QStringLiteral("#!/bin/sh\necho \"$1\" >> '%1'\n").arg(record).toUtf8());
    QFile::setPermissions(opener, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    LinuxWorkspace workspace(opener);
    EXPECT_FALSE(workspace.openUrl(QUrl()));
    EXPECT_FALSE(workspace.openUrl(QUrl(QStringLiteral("no scheme"))));
    EXPECT_FALSE(workspace.openApplication(tmp.file(QStringLiteral("missing.desktop"))));
    EXPECT_TRUE(workspace.openUrl(QUrl(QStringLiteral("https://example.com/a b"))));
    EXPECT_FALSE(
        LinuxWorkspace(QStringLiteral("no-such-opener-program")).openUrl(QUrl(QStringLiteral("https://example.com"))));
    const auto opened = [&] {
        QFile f(record);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    spinUntil([&] { return opened().endsWith('\n'); });
    EXPECT_EQ(opened(), QByteArray("https://example.com/a%20b\n"));
}

} // namespace
} // namespace vantrel

#include "DesktopServicesTest.moc"
