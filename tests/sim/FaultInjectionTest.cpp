// Faults per command: how a reply is shaped, and how the socket server delivers it.
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <future>
#include <random>
#include <thread>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

#include <gtest/gtest.h>

#include "SimTestSupport.h"
#include "base/JsonAccess.h"
#include "daemonserver/RawExchange.h"
#include "sim/protocol/FaultStorm.h"
#include "sim/server/SimServer.h"
#include "support/RealTimeAllowance.h"

using namespace vantrel;
using namespace vantrel::sim;
using namespace vantrel::daemonserver;
using test::call;
using test::statusOf;

namespace {

QByteArray joined(const ShapedReply& r)
{
    QByteArray all;
    for (const auto& s : r.segments)
        all += s;
    return all;
}

// A client socket connected to path, or -1.
int connectTo(const QString& path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const QByteArray bytes = QFile::encodeName(path);
    std::memcpy(addr.sun_path, bytes.constData(), static_cast<std::size_t>(bytes.size()));
    if (fd >= 0 && ::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0)
        return fd;
    if (fd >= 0)
        ::close(fd);
    return -1;
}

// Waits (in real time, the server runs real threads) until done() holds or 5 s pass (longer
// in a sanitizer build).
bool eventually(const std::function<bool()>& done)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(test::realTimeMs(5000));
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

QJsonObject fault(const QString& command, const QString& mode, QJsonObject extra = {})
{
    extra.insert("command", command);
    extra.insert("mode", mode);
    return extra;
}

class ServedDaemon : public ::testing::Test {
protected:
    void SetUp() override
    {
        QString error;
        ASSERT_TRUE(server.start(&error)) << error.toStdString();
    }
    RawReply ask(const QByteArray& request, int timeoutMs = 5000)
    {
        return rawExchange(server.socketPath(), request, timeoutMs);
    }
    void arm(const QJsonObject& f) { ASSERT_EQ(statusOf(call(daemon, "sim_fault", f)), "ok"); }

    test::TempDir dir;
    SimDaemon daemon{test::simConfig(dir)};
    SimServer server{daemon, dir.file("tmp/vantrel_daemon.sock"), 300};
};

} // namespace

TEST(FaultShaping, EachModeShapesTheReplyAsAsked)
{
    const QJsonObject reply{{"status", "ok"}, {"cpu_temp", 51.5}, {"fan0", 1200}, {"has_battery", true}, {"name", "x"}};
    const auto shaped = [&reply](const QJsonObject& request) {
        QString error;
        const auto f = Fault::fromRequest(request, &error);
        EXPECT_TRUE(f) << error.toStdString();
        return shapeReply(reply, {*f});
    };
    EXPECT_EQ(shaped({{"mode", "delay"}, {"delay_ms", 700}}).delayMs, 700);
    EXPECT_TRUE(shaped({{"mode", "close"}}).closeWithoutReply);
    EXPECT_FALSE(json::parseObject(joined(shaped({{"mode", "garbage"}}))));
    EXPECT_EQ(joined(shaped({{"mode", "garbage"}, {"garbage", "<html>"}})), QByteArray("<html>"));

    const ShapedReply split = shaped({{"mode", "split"}, {"segments", 3}, {"pause_ms", 250}});
    ASSERT_EQ(split.segments.size(), 3u);
    EXPECT_EQ(split.pauseMs, 250);
    EXPECT_EQ(json::parseObject(joined(split)), reply);

    EXPECT_EQ(json::parseObject(joined(shaped({{"mode", "status"}, {"status", "OK"}})))->value("status").toString(),
              "OK");

    const auto omitted = json::parseObject(joined(shaped({{"mode", "omit_keys"}, {"keys", QJsonArray{"fan0"}}})));
    EXPECT_FALSE(omitted->contains("fan0"));
    EXPECT_TRUE(omitted->contains("cpu_temp"));
    EXPECT_EQ(*json::parseObject(joined(shaped({{"mode", "omit_keys"}}))), (QJsonObject{{"status", "ok"}}));

    const auto mistyped = json::parseObject(joined(shaped({{"mode", "mistype_keys"}})));
    EXPECT_TRUE(mistyped->value("cpu_temp").isString());
    EXPECT_TRUE(mistyped->value("fan0").isString());
    EXPECT_TRUE(mistyped->value("has_battery").isDouble()) << "1 instead of true";
    EXPECT_TRUE(mistyped->value("name").isArray());
    EXPECT_EQ(mistyped->value("status").toString(), "ok");

    const QByteArray padded = joined(shaped({{"mode", "pad"}, {"bytes", 8192}}));
    EXPECT_EQ(padded.size(), 8192);
    EXPECT_EQ(json::parseObject(padded), reply);

    QString error;
    EXPECT_FALSE(Fault::fromRequest({{"mode", "explode"}}, &error));
    EXPECT_FALSE(Fault::fromRequest({{"mode", "status"}}, &error)) << "status mode needs the status";
}

TEST(FaultShaping, CountsRunDownAndWildcardsSpareControlCommands)
{
    FaultInjector faults;
    Fault once;
    once.mode = FaultMode::Close;
    Fault always;
    always.mode = FaultMode::Delay;
    always.remaining = -1;
    faults.add("get_status", once);
    faults.add("*", always);
    EXPECT_EQ(faults.take("get_status").size(), 2u);
    EXPECT_EQ(faults.take("get_status").size(), 1u) << "the one-off close is used up";
    EXPECT_EQ(faults.take("set_fan_mode").size(), 1u);
    EXPECT_TRUE(faults.take("sim_state").empty());
    faults.clear();
    EXPECT_TRUE(faults.take("get_status").empty());
}

TEST_F(ServedDaemon, AnswersOneRequestPerConnectionAndSurvivesBadClients)
{
    const RawReply ok = ask(R"({"cmd":"get_status"})");
    ASSERT_TRUE(ok.connected);
    EXPECT_EQ(json::parseObject(ok.bytes)->value("status").toString(), "ok");

    // Garbage, a root that is not an object, a request that never completes, a client that leaves at once.
    EXPECT_EQ(json::parseObject(ask("hello?").bytes)->value("code").toString(), "ERR_MALFORMED_REQUEST");
    EXPECT_EQ(json::parseObject(ask("[1, {\"cmd\": \"x\"}]").bytes)->value("code").toString(), "ERR_MALFORMED_REQUEST");
    EXPECT_EQ(
        json::parseObject(ask(R"({"cmd":"get_status", "x": "unterminated)", 3000).bytes)->value("status").toString(),
        "error");
    ask("", 100);
    EXPECT_EQ(json::parseObject(ask(R"({"cmd":"get_status"})").bytes)->value("status").toString(), "ok")
        << "still serving";
}

TEST_F(ServedDaemon, RefusesAmbiguousAndLooselyTypedRequests)
{
    const auto targetLimit = [this] {
        return json::parseObject(ask(R"({"cmd":"get_power_policy_state"})").bytes)->value("target_charge_limit");
    };
    const QJsonValue limitBefore = targetLimit();
    ASSERT_TRUE(limitBefore.isDouble());

    // A repeated "cmd" must not run either command: the second one here would reset the policy.
    const auto twice = json::parseObject(ask(R"({"cmd":"get_status","cmd":"reset_to_vanilla"})").bytes);
    EXPECT_EQ(twice->value("code").toString(), "ERR_MALFORMED_REQUEST");
    EXPECT_TRUE(twice->value("message").toString().contains("cmd"));
    const auto nested = json::parseObject(ask(R"({"cmd":"set_charge_limit","limit":60,"limit":70})").bytes);
    EXPECT_EQ(nested->value("code").toString(), "ERR_MALFORMED_REQUEST");

    // Arguments keep their JSON types: a numeric string, a fraction or a boolean is not a limit.
    for (const char* request :
         {R"({"cmd":"set_charge_limit","limit":"60"})", R"({"cmd":"set_charge_limit","limit":60.5})",
          R"({"cmd":"set_charge_limit","limit":true})"}) {
        const auto reply = json::parseObject(ask(request).bytes);
        ASSERT_TRUE(reply) << request;
        EXPECT_EQ(reply->value("status").toString(), "error") << request;
    }
    EXPECT_EQ(targetLimit(), limitBefore) << "nothing refused above changed the limit";
}

TEST_F(ServedDaemon, FloodsSilentClientsAndClientsThatNeverReadAreBounded)
{
    // A client that asks for a 10 MB reply and never reads it holds its connection only for
    // the server's time-out, not forever (which would also keep the server from stopping).
    arm(fault("get_status", "pad", {{"bytes", 10 << 20}}));
    const int reader = connectTo(server.socketPath());
    ASSERT_GE(reader, 0);
    const QByteArray request = R"({"cmd":"get_status"})";
    ASSERT_EQ(::send(reader, request.constData(), static_cast<std::size_t>(request.size()), MSG_NOSIGNAL),
              request.size());
    ASSERT_TRUE(eventually([&] { return server.activeConnections() == 1; }));
    // Long enough for a reply that is still being produced to be under way.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_EQ(server.activeConnections(), 1) << "the reply is stuck on a client that does not read";
    EXPECT_TRUE(eventually([&] { return server.activeConnections() == 0; })) << "the stalled reply was abandoned";
    ::close(reader);

    // A flood of clients that connect and say nothing: the server keeps a fixed number and
    // turns the rest away at once, then serves again after the silent ones time out.
    std::vector<int> silent;
    for (int i = 0; i < SimServer::kMaxConnections + 20; ++i) {
        const int fd = connectTo(server.socketPath());
        if (fd >= 0)
            silent.push_back(fd);
    }
    EXPECT_TRUE(eventually([&] { return server.activeConnections() == SimServer::kMaxConnections; }));
    const RawReply busy = ask(request, 2000);
    if (!busy.bytes.isEmpty()) { // a client may also be turned away before it is accepted at all
        EXPECT_EQ(json::parseObject(busy.bytes)->value("code").toString(), "ERR_BUSY");
    }
    EXPECT_TRUE(eventually([&] { return server.activeConnections() == 0; })) << "silent clients time out";
    for (const int fd : silent)
        ::close(fd);
    EXPECT_EQ(json::parseObject(ask(request).bytes)->value("status").toString(), "ok");
}

TEST_F(ServedDaemon, ArmedFaultsReachTheClientUntilUsedUp)
{
    arm(fault("get_status", "close"));
    const RawReply closed = ask(R"({"cmd":"get_status"})");
    EXPECT_TRUE(closed.connected);
    EXPECT_TRUE(closed.bytes.isEmpty());
    EXPECT_FALSE(closed.timedOut);

    arm(fault("get_power_policy_state", "omit_keys", {{"keys", QJsonArray{"power_only_state"}}, {"count", 2}}));
    for (int i = 0; i < 2; ++i)
        EXPECT_FALSE(json::parseObject(ask(R"({"cmd":"get_power_policy_state"})").bytes)->contains("power_only_state"));
    EXPECT_TRUE(json::parseObject(ask(R"({"cmd":"get_power_policy_state"})").bytes)->contains("power_only_state"))
        << "count used up";

    // Not carried out: the limit stays where it was.
    arm(fault("set_charge_limit", "close", {{"execute", false}}));
    ask(R"({"cmd":"set_charge_limit","limit":55})");
    EXPECT_NE(call(daemon, "get_power_policy_state")["target_charge_limit"].toInt(), 55);
    EXPECT_EQ(call(daemon, "sim_clear_faults")["faults"].toArray().size(), 0);
}

TEST_F(ServedDaemon, SplitReplyArrivesInSegmentsThatJoinToTheReply)
{
    arm(fault("get_hardware_profile", "split", {{"segments", 2}, {"pause_ms", 400}}));
    const RawReply split = ask(R"({"cmd":"get_hardware_profile"})");
    ASSERT_TRUE(json::parseObject(split.bytes));
    EXPECT_EQ(json::parseObject(split.bytes)->value("status").toString(), "ok");
    // The first read ends at the first segment: a client that stops at a short read gets half a reply.
    ASSERT_GE(split.chunks.size(), 2u);
    EXPECT_EQ(split.chunks.front().size(), split.bytes.size() / 2);
}

TEST_F(ServedDaemon, ADelayedReplyDoesNotHoldUpOtherClients)
{
    arm(fault("get_status", "delay", {{"delay_ms", 1000}}));
    auto slow = std::async(std::launch::async, [this] { return ask(R"({"cmd":"get_status"})"); });
    while (server.activeConnections() == 0)
        std::this_thread::yield();
    const RawReply fast = ask(R"({"cmd":"get_hardware_profile"})");
    EXPECT_EQ(json::parseObject(fast.bytes)->value("status").toString(), "ok");
    EXPECT_EQ(slow.wait_for(std::chrono::seconds(0)), std::future_status::timeout) << "the slow reply is still pending";
    EXPECT_EQ(json::parseObject(slow.get().bytes)->value("status").toString(), "ok");
}

TEST(FaultStorm, SeededDrawsRepeatAndCoverEveryKindAtTheAskedRate)
{
    const auto sequence = [](quint32 seed) {
        FaultStorm storm({seed, 0.5});
        QStringList drawn;
        for (int i = 0; i < 400; ++i) {
            const auto f = storm.draw(i % 2 ? "get_status" : "app_heartbeat");
            drawn << (f ? QString::fromUtf8(json::compact(f->toJson())) : QStringLiteral("-"));
        }
        return drawn;
    };
    EXPECT_EQ(sequence(7), sequence(7));
    EXPECT_NE(sequence(7), sequence(8));

    FaultStorm storm({42, 0.5});
    int faulted = 0;
    for (int i = 0; i < 4000; ++i)
        faulted += storm.draw("set_fan_config") ? 1 : 0;
    EXPECT_NEAR(faulted, 2000, 200);
    EXPECT_FALSE(storm.draw("sim_state")) << "the simulator's own controls are never faulted";
    const QJsonObject figures = storm.toJson();
    EXPECT_EQ(figures["requests"].toInteger(), 4000);
    EXPECT_EQ(figures["faulted"].toInteger(), faulted);
    const QJsonObject byKind = figures["by_kind"].toObject();
    EXPECT_EQ(byKind.size(), kStormKindCount);
    for (auto it = byKind.begin(); it != byKind.end(); ++it)
        EXPECT_GT(it.value().toInteger(), 50) << it.key().toStdString();

    FaultStorm never({1, 0.0});
    FaultStorm always({1, 1.0});
    for (int i = 0; i < 100; ++i) {
        EXPECT_FALSE(never.draw("get_status"));
        EXPECT_TRUE(always.draw("get_status"));
    }
}

TEST(FaultStorm, EachKindBreaksTheReplyAsNamed)
{
    const QJsonObject reply{{"status", "ok"}, {"cpu_temp", 51.5}, {"fan0", 1200}};
    const QByteArray whole = json::compact(reply);
    std::mt19937 random(3);
    const auto shaped = [&](StormKind kind) { return shapeReply(reply, {FaultStorm::faultOf(kind, random)}); };
    for (int round = 0; round < 20; ++round) {
        // Each delay is past its read time-out class and well short of the next one.
        const std::pair<StormKind, int> delays[] = {{StormKind::DelayPastShortRead, 1000},
                                                    {StormKind::DelayPastCommandRead, 5000},
                                                    {StormKind::DelayPastOwnershipRead, 10000},
                                                    {StormKind::DelayPastPackageRead, 30000}};
        for (const auto& [kind, timeoutMs] : delays) {
            const ShapedReply r = shaped(kind);
            EXPECT_GT(r.delayMs, timeoutMs);
            EXPECT_LE(r.delayMs, timeoutMs + 1500);
            EXPECT_EQ(joined(r), whole) << "delayed, not changed";
        }
        EXPECT_TRUE(shaped(StormKind::Close).closeWithoutReply);
        const auto garbage = joined(shaped(StormKind::Garbage));
        EXPECT_FALSE(garbage.isEmpty());
        EXPECT_FALSE(json::parseObject(garbage));
        const auto nonObject = joined(shaped(StormKind::NonObject));
        QJsonParseError error{};
        EXPECT_EQ(QJsonDocument::fromJson(nonObject, &error).isObject(), false);
        EXPECT_FALSE(json::parseObject(nonObject));
        const ShapedReply split = shaped(StormKind::Split);
        EXPECT_GE(split.segments.size(), 2u);
        EXPECT_GE(split.pauseMs, 50);
        EXPECT_EQ(joined(split), whole);
        const auto status = json::parseObject(joined(shaped(StormKind::WrongStatus)));
        ASSERT_TRUE(status);
        EXPECT_NE(status->value("status").toString(), "ok");
        const auto omitted = json::parseObject(joined(shaped(StormKind::OmitKeys)));
        EXPECT_TRUE(omitted->keys() == QStringList{"status"} || (!omitted->contains("status") && omitted->size() == 2))
            << "every key but the status, or the status alone, is gone";
        const auto mistyped = json::parseObject(joined(shaped(StormKind::MistypeKeys)));
        EXPECT_TRUE(!mistyped->value("status").isString() || mistyped->value("cpu_temp").isString());
        EXPECT_EQ(joined(shaped(StormKind::PadExact8192)).size(), 8192);
        const QByteArray big = joined(shaped(StormKind::Pad10MiB));
        EXPECT_EQ(big.size(), 10 << 20);
        EXPECT_EQ(json::parseObject(big), reply) << "padding keeps the reply readable";
        EXPECT_EQ(joined(shaped(StormKind::Truncate)), whole.left(whole.size() / 2));
    }
}

TEST_F(ServedDaemon, AStormFaultsDaemonCommandsUntilStoppedAndKeepsItsFigures)
{
    EXPECT_EQ(statusOf(call(daemon, "sim_storm", {{"rate", 2}})), "error");
    EXPECT_EQ(statusOf(call(daemon, "sim_storm", {{"seed", "7"}})), "error");
    EXPECT_EQ(call(daemon, "sim_state")["storm"].toObject()["active"], false);

    ASSERT_EQ(statusOf(call(daemon, "sim_storm", {{"seed", 5}, {"rate", 1.0}})), "ok");
    // Every reply is faulted now: late, cut, split, padded, unreadable or with its figures broken.
    int unharmed = 0;
    for (int i = 0; i < 12; ++i) {
        const RawReply r = ask(R"({"cmd":"get_status"})", 300);
        const auto o = json::parseObject(r.bytes);
        unharmed += o && o->value("status") == "ok" && o->value("cpu_temp").isDouble() && !r.timedOut
                && r.bytes.size() < 8192 && r.chunks.size() == 1
            ? 1
            : 0;
    }
    EXPECT_EQ(unharmed, 0);
    const QJsonObject state = call(daemon, "sim_state");
    EXPECT_EQ(state["storm"].toObject()["active"], true);
    EXPECT_EQ(state["storm"].toObject()["faulted"].toInteger(), 12) << "the control commands are not counted";

    ASSERT_EQ(statusOf(call(daemon, "sim_storm", {{"active", false}})), "ok");
    const QJsonObject after = call(daemon, "sim_state")["storm"].toObject();
    EXPECT_EQ(after["active"], false);
    EXPECT_EQ(after["seed"].toInteger(), 5);
    const auto calm = json::parseObject(ask(R"({"cmd":"get_status"})").bytes);
    ASSERT_TRUE(calm);
    EXPECT_EQ(calm->value("status").toString(), "ok");
    EXPECT_EQ(call(daemon, "sim_state")["storm"].toObject()["requests"].toInteger(), 12) << "stopped: not counted";
}

TEST(FaultStorm, HeartbeatsAreCountedInTheState)
{
    test::TempDir dir;
    SimDaemon daemon{test::simConfig(dir)};
    EXPECT_EQ(call(daemon, "sim_state")["app_heartbeats"].toInteger(), 0);
    EXPECT_EQ(call(daemon, "sim_state")["app_lease_active"], false);
    call(daemon, "app_heartbeat");
    call(daemon, "app_heartbeat");
    EXPECT_EQ(call(daemon, "sim_state")["app_heartbeats"].toInteger(), 2);
    EXPECT_EQ(call(daemon, "sim_state")["app_lease_active"], true);
    test::step(daemon, 16);
    EXPECT_EQ(call(daemon, "sim_state")["app_lease_active"], false) << "the lease runs out 15 s after a heartbeat";
}
