#include "app/RuntimeAdmission.h"

#include <memory>

#include <QJsonDocument>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include "app/RuntimeConflictReport.h"
#include "daemon/DaemonClient.h"
#include "platform/fakes/FakeUserNotifications.h"
#include "support/FakeDaemonTransport.h"
#include "support/LogCapture.h"

namespace vantrel {
namespace {

QJsonObject object(const char* json) { return QJsonDocument::fromJson(json).object(); }

struct Case {
    const char* reply; // nullptr: no reply at all
    std::optional<RuntimeConflict> conflict;
    const char* systemLogLine; // nullptr: nothing logged
};

TEST(RuntimeAdmission, EachOwnershipReplyGetsItsOutcomeAndLogLine)
{
    const auto readback = RuntimeConflict::readbackUnavailable();
    const auto debug = RuntimeConflict::debugRuntime();
    const Case cases[] = {
        {R"({"status":"ok","channel":"production","transition_fenced":false})", std::nullopt, nullptr},
        {nullptr, readback, "runtime ownership readback unavailable"},
        {R"({"status":"error","channel":"production","transition_fenced":false})", readback,
         "runtime ownership readback unavailable"},
        {R"({"status":"OK","channel":"production","transition_fenced":false})", readback,
         "runtime ownership readback unavailable"},
        // No fence flag is not proof that no hand-over is running.
        {R"({"status":"ok","channel":"production"})", readback, nullptr},
        {R"({"status":"ok","channel":"production","transition_fenced":"false"})", readback, nullptr},
        {R"({"status":"ok","channel":"production","transition_fenced":true})", readback,
         "runtime ownership transition is fenced"},
        {R"({"status":"ok","channel":"debug","transition_fenced":false})", debug, "runtime channel is debug"},
        // The fence is reported before the channel, but the debug texts still apply.
        {R"({"status":"ok","channel":"debug","transition_fenced":true})", debug,
         "runtime ownership transition is fenced"},
        {R"({"status":"ok","transition_fenced":false})", readback, "runtime channel is unknown"},
        {R"({"status":"ok","channel":"Production","transition_fenced":false})", readback,
         "runtime channel is Production"},
        {R"({"status":"ok","channel":7,"transition_fenced":false})", readback, "runtime channel is unknown"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply ? c.reply : "no reply");
        test::LogCapture log;
        const std::optional<QJsonObject> reply = c.reply ? std::optional(object(c.reply)) : std::nullopt;
        EXPECT_EQ(RuntimeAdmission::evaluate(false, reply), c.conflict);
        if (c.systemLogLine) {
            EXPECT_EQ(log.lines(),
                      QStringList{QStringLiteral("[system] Vantrel startup admission failed: ")
                                  + QString::fromUtf8(c.systemLogLine)});
        } else {
            EXPECT_TRUE(log.lines().isEmpty()) << log.lines().join(QLatin1Char('\n')).toStdString();
        }
    }
}

TEST(RuntimeAdmission, AsksTheDaemonOnlyInTheInstalledBuild)
{
    auto transport = std::make_shared<test::FakeDaemonTransport>();
    DaemonClient client(transport, QStringLiteral("/nonexistent/status.json"));
    transport->replyOk(
        QStringLiteral("get_runtime_ownership"),
        {{QStringLiteral("channel"), QStringLiteral("debug")}, {QStringLiteral("transition_fenced"), false}});

    EXPECT_EQ(RuntimeAdmission::prepareRuntimeOwnership(true, client), std::nullopt);
    EXPECT_TRUE(transport->requests().empty());

    EXPECT_EQ(RuntimeAdmission::prepareRuntimeOwnership(false, client), RuntimeConflict::debugRuntime());
    ASSERT_EQ(transport->requestsFor(QStringLiteral("get_runtime_ownership")).size(), 1u);

    transport->reply(QStringLiteral("get_runtime_ownership"), std::nullopt);
    EXPECT_EQ(RuntimeAdmission::prepareRuntimeOwnership(false, client), RuntimeConflict::readbackUnavailable());
}

TEST(RuntimeConflictReport, PrintsOneLineAndPostsOneNotificationEvenIfDeliveryFails)
{
    test::LogCapture log;
    test::FakeUserNotifications notifications;
    notifications.setDeliveryError(QStringLiteral("no notification service"));
    int done = 0;
    reportRuntimeConflict(notifications, RuntimeConflict::duplicateRun(),
                          [&](const std::optional<QString>&) { ++done; });

    EXPECT_EQ(done, 1);
    EXPECT_EQ(log.lines(),
              (QStringList{QStringLiteral("Vantrel runtime admission denied: Vantrel이 이미 실행 중입니다. "
                                          "동시에 두 앱이 제어하지 않도록 중복 실행을 취소했습니다."),
                           QStringLiteral("Failed to send notification: no notification service")}));
    const auto requests = notifications.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].title, QStringLiteral("Vantrel이 이미 실행 중입니다."));
    EXPECT_EQ(requests[0].body, QStringLiteral("동시에 두 앱이 제어하지 않도록 중복 실행을 취소했습니다."));
    EXPECT_TRUE(requests[0].defaultSound);
    static const QRegularExpression identifier(
        QStringLiteral("^vantrel-runtime-admission-[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$"));
    EXPECT_TRUE(identifier.match(requests[0].identifier).hasMatch()) << requests[0].identifier.toStdString();

    // A fresh identifier every time.
    reportRuntimeConflict(notifications, RuntimeConflict::readbackUnavailable());
    ASSERT_EQ(notifications.requests().size(), 2u);
    EXPECT_NE(notifications.requests()[1].identifier, requests[0].identifier);
}

} // namespace
} // namespace vantrel
