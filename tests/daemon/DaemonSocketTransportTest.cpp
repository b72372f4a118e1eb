#include "daemon/DaemonSocketTransport.h"

#include <atomic>
#include <chrono>
#include <thread>

#include <QJsonArray>
#include <QJsonDocument>

#include <gtest/gtest.h>

#include "base/JsonAccess.h"
#include "base/NotificationCenter.h"
#include "base/QtDispatch.h"
#include "base/VirtualDispatch.h"
#include "daemon/DaemonClient.h"
#include "support/LogCapture.h"
#include "support/ScriptedSocketPeer.h"
#include "support/TempDir.h"

namespace vantrel {
namespace {

using test::ScriptedSocketPeer;
using namespace std::chrono_literals;

const QString kParseFailed = QStringLiteral("🚨 [DaemonClient] JSON parse failed for ");
const QString kEmpty = QStringLiteral("🚨 [DaemonClient] Error: Empty response from daemon.");
const QString kConnectFailed
    = QStringLiteral("🚨 [DaemonClient] Error: Connection to daemon failed! Is vantrel-node running as root?");
const QString kWriteFailed = QStringLiteral("🚨 [DaemonClient] Error: Failed to write full command to daemon.");

// A reply object whose compact form is exactly size bytes.
QByteArray paddedReply(qsizetype size)
{
    const QByteArray head = R"({"pad":")";
    const QByteArray tail = R"(","status":"ok"})";
    return head + QByteArray(size - head.size() - tail.size(), 'x') + tail;
}

QJsonObject cmd(const char* name, QJsonObject keys = {})
{
    keys.insert(QStringLiteral("cmd"), QString::fromLatin1(name));
    return keys;
}

class NotificationCounter {
public:
    NotificationCounter()
    {
        token_ = NotificationCenter::defaultCenter().addObserver(DaemonClient::daemonConnectionDidFail,
                                                                 [this](const QString&) { ++count_; });
    }
    ~NotificationCounter() { NotificationCenter::defaultCenter().removeObserver(token_); }
    int count() const { return count_; }

private:
    int token_ = 0;
    std::atomic<int> count_{0};
};

class DaemonSocketTransportTest : public ::testing::Test {
protected:
    QString socketPath() const { return dir_.file(QStringLiteral("d.sock")); }
    DaemonSocketTransport makeTransport(bool verbose = false)
    {
        return DaemonSocketTransport(dispatch_, socketPath(), verbose);
    }

    test::TempDir dir_;
    VirtualDispatch dispatch_;
    test::LogCapture log_;
    ScriptedSocketPeer peer_{socketPath()};
};

TEST_F(DaemonSocketTransportTest, SendsOneCompactObjectAndReadsByThe8192ByteRule)
{
    ASSERT_TRUE(peer_.isListening());
    auto transport = makeTransport();
    const QByteArray exact = paddedReply(8192);
    ASSERT_EQ(exact.size(), 8192);

    // Exactly 8192 bytes then end of stream: the second read returns 0 and the reply is whole.
    peer_.answerAlways(ScriptedSocketPeer::reply(exact));
    const QJsonObject request = cmd("get_status", {{QStringLiteral("probe"), 1}});
    auto reply = transport.send(request);
    ASSERT_TRUE(reply);
    EXPECT_EQ(QJsonDocument(*reply).toJson(QJsonDocument::Compact), exact);
    // The request on the wire is the compact object alone: no newline, length or terminator.
    EXPECT_EQ(peer_.requests().value(0), json::compact(request));

    // A full first read means more may follow: the client waits for the later segment.
    const QByteArray twoChunks = paddedReply(8192 + 300);
    peer_.answerAlways({{{twoChunks.left(8192), 0ms}, {twoChunks.mid(8192), 50ms}}, false});
    reply = transport.send(request);
    ASSERT_TRUE(reply);
    EXPECT_EQ(json::compact(*reply), twoChunks);

    // A reply larger than the buffer sent at once is read in full.
    peer_.answerAlways(ScriptedSocketPeer::reply(paddedReply(20000)));
    reply = transport.send(request);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->value(QStringLiteral("status")).toString(), QStringLiteral("ok"));

    // A short first segment ends the reply there, so the parse fails.
    const QByteArray cut = paddedReply(5000);
    peer_.answerAlways({{{cut.left(100), 0ms}, {cut.mid(100), 300ms}}, false});
    EXPECT_FALSE(transport.send(request));
    EXPECT_EQ(log_.count(kParseFailed + QStringLiteral("get_status: ")), 1);
    EXPECT_TRUE(log_.lines().last().endsWith(QStringLiteral(". bytes=100"))) << log_.lines().last().toStdString();
}

TEST_F(DaemonSocketTransportTest, EachBrokenReplyGivesNothingWithItsOwnMessage)
{
    NotificationCounter notifications;
    auto transport = makeTransport();

    peer_.answerAlways(ScriptedSocketPeer::hangUp());
    EXPECT_FALSE(transport.send(cmd("set_fan_mode")));
    EXPECT_EQ(log_.count(kEmpty), 1);

    peer_.answerAlways(ScriptedSocketPeer::reply(QByteArray("[1,2]")));
    EXPECT_FALSE(transport.send(cmd("set_fan_mode")));
    EXPECT_TRUE(log_.contains(kParseFailed + QStringLiteral("set_fan_mode: response root is not an object.")));

    peer_.answerAlways(ScriptedSocketPeer::reply(QByteArray("{oops")));
    EXPECT_FALSE(transport.send(cmd("set_fan_mode")));
    EXPECT_EQ(log_.count(QStringLiteral(". bytes=5")), 1);

    // A request without a string "cmd" is still sent; its failures name the empty command.
    EXPECT_FALSE(transport.send(QJsonObject{{QStringLiteral("cmd"), 7}}));
    EXPECT_TRUE(log_.contains(kParseFailed + QStringLiteral(": ")));

    // The transport hands back any object; judging "status" is the caller's business.
    peer_.answerAlways(ScriptedSocketPeer::reply(QByteArray(R"({"status":"OK"})")));
    auto reply = transport.send(cmd("set_fan_mode"));
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->value(QStringLiteral("status")).toString(), QStringLiteral("OK"));

    // A request JSON cannot carry is dropped before any socket is opened, silently.
    const int connectionsBefore = peer_.connectionCount();
    log_.clear();
    EXPECT_FALSE(transport.send(cmd("get_status", {{QStringLiteral("t"), std::nan("")}})));
    EXPECT_EQ(peer_.connectionCount(), connectionsBefore);
    EXPECT_TRUE(log_.lines().isEmpty());

    // None of these were connection failures.
    dispatch_.runUntilIdle();
    EXPECT_EQ(notifications.count(), 0);
}

TEST_F(DaemonSocketTransportTest, EveryFailedConnectPostsOneNotificationOnTheMainQueue)
{
    NotificationCounter notifications;
    DaemonClient client(
        std::make_shared<DaemonSocketTransport>(dispatch_, dir_.file(QStringLiteral("absent.sock")), false));

    EXPECT_FALSE(client.setChargeLimit(80));
    EXPECT_EQ(notifications.count(), 0) << "posted asynchronously on the main queue";
    dispatch_.runUntilIdle();
    EXPECT_EQ(notifications.count(), 1);
    EXPECT_EQ(log_.count(kConnectFailed), 1);

    EXPECT_FALSE(client.getStatus());
    dispatch_.runUntilIdle();
    EXPECT_EQ(notifications.count(), 2);

    // A socket path longer than the address can hold cannot be connected to either.
    DaemonSocketTransport longPath(dispatch_, QStringLiteral("/tmp/") + QString(200, QLatin1Char('s')), false);
    EXPECT_FALSE(longPath.send(cmd("set_charge_limit")));
    dispatch_.runUntilIdle();
    EXPECT_EQ(notifications.count(), 3);
    EXPECT_EQ(log_.count(kConnectFailed), 3);
}

TEST_F(DaemonSocketTransportTest, ReadTimeOutFollowsTheCommand)
{
    using T = DaemonSocketTransport;
    EXPECT_EQ(T::timeoutForCommand(QStringLiteral("get_runtime_ownership")), 10);
    for (const char* quick :
         {"get_status", "get_power_source_info", "get_update_installation_state", "get_user_settings_state",
          "get_evidence_events", "get_diagnostic_package_preview", "get_anything_new"})
        EXPECT_EQ(T::timeoutForCommand(QString::fromLatin1(quick)), 1) << quick;
    EXPECT_EQ(T::timeoutForCommand(QStringLiteral("verify_update_package")), 30);
    EXPECT_EQ(T::timeoutForCommand(QStringLiteral("install_update_package")), 30);
    for (const char* normal :
         {"set_fan_mode", "app_heartbeat", "reload_user_settings", "export_diagnostic_bundle", "GET_STATUS", ""})
        EXPECT_EQ(T::timeoutForCommand(QString::fromLatin1(normal)), 5) << normal;

    // A reply that takes a moment is waited for.
    auto transport = makeTransport();
    peer_.answerAlways({{{QByteArray(R"({"status":"ok"})"), 150ms}}, false});
    EXPECT_TRUE(transport.send(cmd("set_fan_mode")));

    // A silent daemon: a read-back gives up after its one second, well before the 5-second class.
    peer_.answerAlways(ScriptedSocketPeer::silent());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(transport.send(cmd("get_hardware_profile")));
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, 900ms);
    EXPECT_LT(waited, 4500ms);
    EXPECT_TRUE(log_.contains(kEmpty));
}

TEST_F(DaemonSocketTransportTest, AtQuitAnExchangeStopsWaitingAndLaterOnesAreRefused)
{
    auto transport = makeTransport();
    peer_.answerAlways(ScriptedSocketPeer::silent());
    std::optional<QJsonObject> reply = QJsonObject{{QStringLiteral("untouched"), true}};
    std::thread caller([&] { reply = transport.send(cmd("set_fan_mode")); });
    const auto deadline = std::chrono::steady_clock::now() + 4s;
    while (peer_.requests().isEmpty() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
    ASSERT_EQ(peer_.requests().size(), 1) << "the daemon has the request and stays silent";

    const auto abandoned = std::chrono::steady_clock::now();
    transport.abandonExchanges();
    caller.join();
    EXPECT_LT(std::chrono::steady_clock::now() - abandoned, 4s) << "not the command's 5-second time-out";
    EXPECT_FALSE(reply);
    EXPECT_TRUE(log_.contains("[DaemonClient] Quitting: no longer waiting for the daemon's reply"));
    EXPECT_FALSE(log_.contains(kEmpty)) << "an abandoned reply is no daemon fault";

    const int connections = peer_.connectionCount();
    EXPECT_FALSE(transport.send(cmd("get_status")));
    EXPECT_FALSE(transport.send(cmd("set_fan_mode")));
    EXPECT_EQ(peer_.connectionCount(), connections) << "later exchanges do not even connect";
    transport.abandonExchanges();
    EXPECT_EQ(log_.count("Quitting:"), 1);
}

TEST_F(DaemonSocketTransportTest, LogsExchangesRedactedAndReadBacksOnlyWhenVerbose)
{
    peer_.answerAlways(ScriptedSocketPeer::reply(QJsonObject{{QStringLiteral("status"), QStringLiteral("ok")}}));

    auto quiet = makeTransport(false);
    ASSERT_TRUE(quiet.send(cmd("get_status")));
    EXPECT_TRUE(log_.lines().isEmpty()) << log_.lines().join(QLatin1Char('\n')).toStdString();

    ASSERT_TRUE(quiet.send(
        cmd("set_fan_mode", {{QStringLiteral("index"), 0}, {QStringLiteral("mode"), QStringLiteral("auto")}})));
    ASSERT_EQ(log_.lines().size(), 2);
    EXPECT_EQ(log_.lines().at(0),
              QStringLiteral(R"(Vantrel UI -> daemon: {"cmd":"set_fan_mode","index":0,"mode":"auto"})"));
    EXPECT_EQ(log_.lines().at(1), QStringLiteral(R"(Vantrel daemon -> UI: {"status":"ok"})"));

    log_.clear();
    auto verbose = makeTransport(true);
    ASSERT_TRUE(verbose.send(cmd("get_status")));
    EXPECT_EQ(log_.count(QStringLiteral("Vantrel UI -> daemon: ")), 1);
    EXPECT_EQ(log_.count(QStringLiteral("Vantrel daemon -> UI: ")), 1);

    // Sensitive values are hidden in the log, in nested objects and arrays too, but travel intact.
    log_.clear();
    const QString url = QStringLiteral("https://hooks.example.net/T000/secret-part");
    const QJsonObject reply{{QStringLiteral("status"), QStringLiteral("ok")},
                            {QStringLiteral("items"),
                             QJsonArray{QJsonObject{{QStringLiteral("pkg_path"), QStringLiteral("/private/x.pkg")}}}}};
    peer_.answerAlways(ScriptedSocketPeer::reply(reply));
    const QJsonObject request
        = cmd("set_cloud_alert_settings",
              {{QStringLiteral("webhook_url"), url},
               {QStringLiteral("user_id"), QStringLiteral("u-17")},
               {QStringLiteral("nested"), QJsonObject{{QStringLiteral("api_token"), QStringLiteral("tok")}}}});
    auto returned = quiet.send(request);
    ASSERT_TRUE(returned);
    EXPECT_EQ(*returned, reply);
    const QString sent = QString::fromUtf8(peer_.requests().last());
    EXPECT_TRUE(sent.contains(url));
    EXPECT_TRUE(sent.contains(QStringLiteral("tok")));
    const QString logged = log_.lines().join(QLatin1Char('\n'));
    EXPECT_FALSE(logged.contains(url));
    EXPECT_FALSE(logged.contains(QStringLiteral("\"tok\"")));
    EXPECT_FALSE(logged.contains(QStringLiteral("/private/x.pkg")));
    EXPECT_EQ(logged.count(QStringLiteral("<redacted>")), 3);
    EXPECT_TRUE(logged.contains(QStringLiteral("u-17")));

    // A failed exchange logs its request but no reply.
    log_.clear();
    peer_.answerAlways(ScriptedSocketPeer::hangUp());
    EXPECT_FALSE(quiet.send(cmd("reset_to_vanilla")));
    EXPECT_EQ(log_.count(QStringLiteral("Vantrel UI -> daemon: ")), 1);
    EXPECT_EQ(log_.count(QStringLiteral("Vantrel daemon -> UI: ")), 0);
}

TEST_F(DaemonSocketTransportTest, NoCanaryUnderASensitiveKeyReachesTheLogAtAnyDepthOrCase)
{
    // Every sensitive key family, spelled in several letter cases and inside words, placed at
    // the top, in nested objects, in arrays of objects, in arrays of arrays, with string,
    // number, object and array values: each carries a unique canary, and none may be logged.
    const QStringList families{"token",  "secret", "password",       "sha256",      "webhook", "path",       "message",
                               "detail", "output", "app_install_id", "device_hash", "email",   "customer_id"};
    int serial = 0;
    QStringList canaries;
    const auto canaryValue = [&](int kind) -> QJsonValue {
        const QString canary = QStringLiteral("CANARY-%1-x").arg(++serial);
        canaries << canary;
        switch (kind % 4) {
        case 0:
            return canary;
        case 1:
            return QJsonObject{{QStringLiteral("inner"), canary}};
        case 2:
            return QJsonArray{canary, QJsonArray{canary}};
        default:
            return QJsonObject{{QStringLiteral("list"), QJsonArray{QJsonObject{{QStringLiteral("v"), canary}}}}};
        }
    };
    QJsonObject request = cmd("set_cloud_alert_settings");
    QJsonObject reply{{QStringLiteral("status"), QStringLiteral("ok")}};
    for (const QString& family : families) {
        const QStringList spellings{family, family.toUpper(), family.left(1).toUpper() + family.mid(1),
                                    QStringLiteral("x_") + family + QStringLiteral("_y")};
        for (const QString& key : spellings) {
            request.insert(key, canaryValue(serial));
            request.insert(QStringLiteral("n_") + QString::number(serial),
                           QJsonObject{{QStringLiteral("deeper"), QJsonObject{{key, canaryValue(serial)}}}});
            reply.insert(QStringLiteral("a_") + QString::number(serial),
                         QJsonArray{1, QJsonArray{QJsonObject{{key, canaryValue(serial)}}}});
        }
    }
    peer_.answerAlways(ScriptedSocketPeer::reply(reply));
    auto verbose = makeTransport(true);
    const auto returned = verbose.send(request);
    ASSERT_TRUE(returned);
    EXPECT_EQ(*returned, reply) << "the values travel intact";

    const QString logged = log_.lines().join(QLatin1Char('\n'));
    ASSERT_TRUE(logged.contains(QStringLiteral("Vantrel UI -> daemon: ")));
    ASSERT_TRUE(logged.contains(QStringLiteral("Vantrel daemon -> UI: ")));
    int leaks = 0;
    for (const QString& canary : canaries)
        if (logged.contains(canary)) {
            ++leaks;
            ADD_FAILURE() << "leaked " << canary.toStdString();
        }
    EXPECT_EQ(leaks, 0);
    EXPECT_GT(canaries.size(), 150);
}

TEST_F(DaemonSocketTransportTest, HostilePeersNeverCrashOrHang)
{
    auto transport = makeTransport();

    // Several megabytes: read whole when the sender keeps each read full, else cut and refused.
    QByteArray big = R"({"status":"ok","processes":[)";
    for (int i = 0; i < 4000; ++i)
        big += (i ? "," : "") + QByteArray(R"({"pid":)") + QByteArray::number(i) + R"(,"name":")"
            + QByteArray(1000, 'a' + i % 26) + "\"}";
    big += "]}";
    ASSERT_GT(big.size(), 4'000'000);
    peer_.answerAlways(ScriptedSocketPeer::reply(big));
    if (auto reply = transport.send(cmd("get_system_snapshot")))
        EXPECT_EQ(reply->value(QStringLiteral("processes")).toArray().size(), 4000);
    else
        EXPECT_TRUE(log_.contains(kParseFailed + QStringLiteral("get_system_snapshot: ")));

    // The daemon hangs up mid-reply without reading the request (the client sees a reset).
    log_.clear();
    peer_.setSkipRequestRead(true);
    peer_.answerAlways(ScriptedSocketPeer::reply(QByteArray(R"({"status":"ok","pad":"xxxx)")));
    EXPECT_FALSE(transport.send(cmd("set_fan_mode")));
    EXPECT_TRUE(log_.contains(kParseFailed) || log_.contains(kEmpty) || log_.contains(kWriteFailed))
        << log_.lines().join(QLatin1Char('\n')).toStdString();

    // The daemon hangs up while a large request is still being written: no SIGPIPE, just a failure.
    log_.clear();
    peer_.answerAlways(ScriptedSocketPeer::hangUp());
    const QJsonObject huge
        = cmd("get_status", {{QStringLiteral("padding"), QString(2 * 1024 * 1024, QLatin1Char('p'))}});
    EXPECT_FALSE(transport.send(huge));
    EXPECT_EQ(log_.count(kWriteFailed), 1);
}

TEST(DaemonSocketTransportConcurrency, ExchangesFromManyThreadsRunOneAtATime)
{
    test::TempDir dir;
    ScriptedSocketPeer peer(dir.file(QStringLiteral("d.sock")), [](const QByteArray& request) {
        const auto object = json::parseObject(request).value_or(QJsonObject());
        const QJsonObject reply{{QStringLiteral("status"), QStringLiteral("ok")},
                                {QStringLiteral("id"), object.value(QStringLiteral("id"))}};
        // The pause gives an unserialised client every chance to connect alongside.
        return ScriptedSocketPeer::Answer{{{json::compact(reply), 5ms}}, false};
    });
    QtDispatch dispatch;
    DaemonSocketTransport transport(dispatch, peer.path(), false);

    std::atomic<int> matched{0};
    std::vector<std::thread> callers;
    for (int t = 0; t < 4; ++t) {
        callers.emplace_back([&, t] {
            for (int i = 0; i < 5; ++i) {
                const int id = t * 100 + i;
                const auto reply = transport.send(cmd("get_status", {{QStringLiteral("id"), id}}));
                if (reply && json::integer(*reply, QStringLiteral("id")) == id)
                    ++matched;
            }
        });
    }
    for (auto& caller : callers)
        caller.join();
    EXPECT_EQ(matched, 20);
    EXPECT_EQ(peer.connectionCount(), 20);
    EXPECT_FALSE(peer.sawWaitingClientWhileServing());
}

} // namespace
} // namespace vantrel
