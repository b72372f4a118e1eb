#include "app/HeadlessDemo.h"

#include <QImage>

#include <gtest/gtest.h>

#include "app/AppDelegate.h"
#include "app/DashboardWindow.h"
#include "app/LaunchOptions.h"
#include "base/VirtualDispatch.h"
#include "daemon/DaemonClient.h"
#include "platform/fakes/FakeUserNotifications.h"
#include "support/FakeDaemonTransport.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"

namespace vantrel {
namespace {

TEST(HeadlessDemo, PrintsReadingsEveryTwoSecondsThenWritesTheWindowPicture)
{
    test::TempDir tmp;
    VirtualDispatch dispatch;
    MemoryPreferences preferences;
    auto transport = std::make_shared<test::FakeDaemonTransport>();
    transport->replyOk(QStringLiteral("get_status"),
                       {{QStringLiteral("cpu_temp"), 51.25},
                        {QStringLiteral("fan0"), 1800},
                        {QStringLiteral("fan1"), 1950},
                        {QStringLiteral("battery_percent"), 80}});
    DaemonClient daemon(transport, QStringLiteral("/nonexistent/status.json"));
    test::FakeUserNotifications notifications;
    AppDelegate delegate(AppDelegateContext{
        .dispatch = dispatch,
        .preferences = preferences,
        .daemon = daemon,
        .notifications = notifications,
        .launchAtLogin = nullptr,
        .environment = {},
        .bundle = {},
        .lockDirectory = tmp.file(QStringLiteral("lock")),
        .arguments = {QStringLiteral("--background-status-only")},
        .rootViewFactory = {},
        .terminate = {},
        .systemTrayAvailable = [] { return true; },
        .hooks = {},
    });

    test::LogCapture log;
    int finished = 0;
    HeadlessDemo demo(dispatch, daemon, delegate, tmp.file(QStringLiteral("shots")), [&] { ++finished; });
    demo.start();
    dispatch.advance(Duration(3000));
    EXPECT_EQ(log.count(QStringLiteral("Vantrel status: CPU 51.3 °C, fans 1800 / 1950 rpm, battery 80%")), 2);
    transport->reply(QStringLiteral("get_status"), std::nullopt);
    dispatch.advance(Duration(1000));
    EXPECT_EQ(log.count(QStringLiteral("Vantrel status: daemon not reachable")), 1);
    EXPECT_EQ(finished, 0);

    dispatch.advance(Duration(16000));
    EXPECT_EQ(finished, 1);
    const QImage shot(tmp.file(QStringLiteral("shots/main-window.png")));
    EXPECT_EQ(shot.size(), QSize(1100, 720)) << "a background start still gets its window drawn";
    const int polls = log.count(QStringLiteral("Vantrel status:"));
    dispatch.advance(Duration(10000));
    EXPECT_EQ(log.count(QStringLiteral("Vantrel status:")), polls) << "polling stops with the demo";

    EXPECT_EQ(HeadlessDemo::statusLine(DaemonStatus::fromReply({{QStringLiteral("status"), QStringLiteral("busy")}})),
              QStringLiteral("Vantrel status: daemon answered \"busy\""));
    EXPECT_EQ(HeadlessDemo::statusLine(DaemonStatus::fromReply({{QStringLiteral("status"), QStringLiteral("ok")}})),
              QStringLiteral("Vantrel status: CPU - °C, fans - / - rpm, battery -%"));
}

TEST(LaunchOptions, ReadsTheFlagsAndRejectsIncompleteOnes)
{
    test::TempDir tmp;
    QString error;
    const auto options = LaunchOptions::parse(
        {QStringLiteral("vantrel"), QStringLiteral("--background-status-only"), QStringLiteral("--platform"),
         QStringLiteral("linux"), QStringLiteral("--headless-demo"), QStringLiteral("/tmp/shots"),
         QStringLiteral("--screenshot"), QStringLiteral("dashboard"), QStringLiteral("/tmp/d.png"),
         QStringLiteral("--theme"), QStringLiteral("dark"), QStringLiteral("--demo-seconds"), QStringLiteral("3"),
         QStringLiteral("--main-window-only")},
        tmp.paths(), &error);
    ASSERT_TRUE(options.has_value()) << error.toStdString();
    EXPECT_TRUE(options->backgroundStatusOnly);
    EXPECT_EQ(options->platform, PlatformKind::Linux);
    EXPECT_EQ(options->headlessDemoDirectory, QStringLiteral("/tmp/shots"));
    EXPECT_EQ(options->demoSeconds, 3);
    EXPECT_TRUE(options->demoMainWindowOnly);
    ASSERT_TRUE(options->screenshot.has_value());
    EXPECT_EQ(options->screenshot->pageId, QStringLiteral("dashboard"));
    EXPECT_EQ(options->screenshot->file, QStringLiteral("/tmp/d.png"));
    EXPECT_EQ(options->screenshot->theme, QStringLiteral("dark"));
    EXPECT_TRUE(options->screenshot->lang.isEmpty());
    EXPECT_FALSE(LaunchOptions::parse({QStringLiteral("vantrel"), QStringLiteral("--screenshot"),
                                       QStringLiteral("dashboard"), QStringLiteral("--lang"), QStringLiteral("ko")},
                                      tmp.paths(), &error))
        << "the file is missing";

    EXPECT_FALSE(
        LaunchOptions::parse({QStringLiteral("vantrel"), QStringLiteral("--headless-demo")}, tmp.paths(), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(LaunchOptions::parse({QStringLiteral("vantrel"), QStringLiteral("--platform"), QStringLiteral("mac")},
                                      tmp.paths(), &error));
    EXPECT_FALSE(LaunchOptions::parse(
        {QStringLiteral("vantrel"), QStringLiteral("--demo-seconds"), QStringLiteral("soon")}, tmp.paths(), &error));
    const auto plain = LaunchOptions::parse({QStringLiteral("vantrel")}, tmp.paths(), &error);
    ASSERT_TRUE(plain.has_value());
    EXPECT_FALSE(plain->backgroundStatusOnly);
    EXPECT_FALSE(plain->headlessDemoDirectory.has_value());
    EXPECT_EQ(plain->demoSeconds, 20);
    EXPECT_FALSE(plain->demoMainWindowOnly);
    EXPECT_FALSE(plain->screenshot.has_value());
}

} // namespace
} // namespace vantrel
