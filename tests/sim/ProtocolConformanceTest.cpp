// Every command of the daemon protocol answers with the keys and types the application reads:
// the shared conformance cases over the simulator's socket, then the simulated Mac's own details.
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include "SimTestSupport.h"
#include "conformance/DaemonConformance.h"
#include "sim/server/SimServer.h"

using namespace vantrel;
using namespace vantrel::sim;
using test::call;
using test::expectKinds;
using test::Kind;
using test::statusOf;

namespace {

QJsonArray points(std::initializer_list<std::pair<double, double>> list)
{
    QJsonArray a;
    for (const auto& [t, f] : list)
        a.append(QJsonObject{{"temp", t}, {"fan", f}});
    return a;
}

// The simulated laptop behind the shared server, a few simulated seconds in.
class SimUnderTest final : public test::DaemonUnderTest {
public:
    SimUnderTest()
    {
        QString error;
        EXPECT_TRUE(server.start(&error)) << error.toStdString();
        test::step(daemon, 5);
    }
    QString socketPath() const override { return server.socketPath(); }
    bool hasBattery() const override { return true; }

private:
    test::TempDir dir;
    SimDaemon daemon{test::simConfig(dir)};
    SimServer server{daemon, dir.file(QStringLiteral("tmp/vantrel_daemon.sock"))};
};

struct SimFactory {
    static std::unique_ptr<test::DaemonUnderTest> make() { return std::make_unique<SimUnderTest>(); }
};

class Protocol : public ::testing::Test {
protected:
    test::TempDir dir;
    SimDaemon daemon{test::simConfig(dir)};
};

} // namespace

namespace vantrel::test {
INSTANTIATE_TYPED_TEST_SUITE_P(Sim, DaemonConformance, ::SimFactory);
}

// The shared suite checks the keys every daemon sends; these are the simulated laptop's own
// figures and the read-backs only the simulator answers.
TEST_F(Protocol, ReadBacksOfTheSimulatedLaptop)
{
    test::step(daemon, 5);
    const auto status = call(daemon, "get_status");
    expectKinds(status, {{"fan1", Kind::Integer}, {"battery_percent", Kind::Integer}});

    const auto snapshot = call(daemon, "get_system_snapshot");
    EXPECT_GT(snapshot["cpu"]["process_count"].toInt(), 0) << "counted from this machine's /proc";
    EXPECT_GT(snapshot["memory"]["total_bytes"].toDouble(), snapshot["memory"]["used_bytes"].toDouble());

    expectKinds(call(daemon, "get_power_policy_state"),
                {{"battery_percent", Kind::Integer},
                 {"safety_drain_effective_target_percent", Kind::Integer},
                 {"safety_drain_auto_wait_seconds", Kind::Integer},
                 {"heat_protection_remaining_seconds", Kind::Integer}});
    EXPECT_EQ(call(daemon, "get_hardware_profile")["fan_count"].toInt(), 2);
    expectKinds(call(daemon, "get_power_source_info"),
                {{"power_source", Kind::Object}, {"battery_registry", Kind::Object}});
}

TEST_F(Protocol, ProfilesOfTheOtherModels)
{
    test::TempDir other;
    SimDaemon desktop(test::simConfig(other, MachineProfile::desktop()));
    const auto profile = call(desktop, "get_hardware_profile");
    EXPECT_EQ(profile["fan_count"].toInt(), 1);
    EXPECT_FALSE(profile["has_battery"].toBool());
    EXPECT_TRUE(profile["desktop_class"].toBool());
    const auto status = call(desktop, "get_status");
    EXPECT_TRUE(status.contains("fan0"));
    EXPECT_FALSE(status.contains("fan1"));
    EXPECT_FALSE(status.contains("battery_percent"));
    EXPECT_FALSE(call(desktop, "get_power_policy_state")["battery_present"].toBool());
    EXPECT_EQ(call(desktop, "set_battery_config", test::conformanceBatteryConfig())["reason"].toString(), "no_battery");
    EXPECT_EQ(call(desktop, "set_fan_rpm", {{"index", 1}, {"rpm", 2000}})["code"].toString(), "ERR_INVALID_FAN_INDEX");

    test::TempDir third;
    SimDaemon fanless(test::simConfig(third, MachineProfile::fanlessLaptop()));
    EXPECT_EQ(call(fanless, "get_hardware_profile")["fan_count"].toInt(), 0);
    EXPECT_FALSE(call(fanless, "get_hardware_profile")["supports_safe_fan_control"].toBool());
    EXPECT_FALSE(call(fanless, "get_status").contains("fan0"));
    const auto refused = call(fanless, "set_fan_config",
                              {{"mode", "manual"},
                               {"unified", true},
                               {"left_points", points({{40, 30}})},
                               {"right_points", points({{40, 30}})},
                               {"preset_name", "x"},
                               {"smart_app_preset", false}});
    EXPECT_EQ(refused["code"].toString(), "ERR_FAN_CONTROL_UNSUPPORTED");
}

TEST_F(Protocol, FanCommandsApplyAndReportThroughStatusAndPolicy)
{
    const auto config = call(daemon, "set_fan_config",
                             {{"mode", "manual"},
                              {"unified", true},
                              {"left_points", points({{0, 60}, {100, 60}})},
                              {"right_points", points({{0, 60}, {100, 60}})},
                              {"preset_name", "curve_balance"},
                              {"smart_app_preset", false}});
    EXPECT_EQ(statusOf(config), "ok");
    test::step(daemon, 30);
    EXPECT_EQ(call(daemon, "get_status")["fan0"].toInt(), 3420) << "60 % of 5700 rpm";
    const auto policy = call(daemon, "get_power_policy_state");
    EXPECT_TRUE(policy["fan_policy_enabled"].toBool());
    EXPECT_EQ(policy["fan_preset_name"].toString(), "curve_balance");

    EXPECT_EQ(statusOf(call(daemon, "set_fan_rpm", {{"index", 1}, {"rpm", 2500}})), "ok");
    test::step(daemon, 10);
    EXPECT_EQ(call(daemon, "get_status")["fan1"].toInt(), 2500);
    EXPECT_EQ(statusOf(call(daemon, "set_fan_mode", {{"index", 0}, {"mode", "auto"}})), "ok");
    EXPECT_EQ(statusOf(call(daemon, "set_fan_mode", {{"index", 1}, {"mode", "auto"}})), "ok");
    EXPECT_FALSE(call(daemon, "get_power_policy_state")["fan_policy_enabled"].toBool());

    EXPECT_EQ(call(daemon, "set_fan_config",
                   {{"mode", "manual"},
                    {"unified", true},
                    {"left_points", points({{0, 140}})},
                    {"right_points", QJsonArray()},
                    {"preset_name", "x"},
                    {"smart_app_preset", false}})["code"]
                  .toString(),
              "ERR_INVALID_CURVE");
    EXPECT_EQ(
        statusOf(call(daemon, "set_smart_target_config",
                      {{"targets", QJsonObject{{"CPU", 70.0}, {"GPU", 72.0}, {"VRAM", 72.0}, {"Memory", 65.0}}}})),
        "ok");
    EXPECT_EQ(statusOf(call(daemon, "set_smart_target_config", {{"targets", QJsonObject{}}})), "ok");
}

TEST_F(Protocol, BatteryCommandsAnswerOkPartialOrError)
{
    const auto ok = call(daemon, "set_battery_config", test::conformanceBatteryConfig());
    EXPECT_EQ(statusOf(ok), "ok");
    for (const char* part : {"charge_limit_ok", "charge_protector_ok", "heat_protection_ok", "safety_drain_ok"})
        EXPECT_TRUE(ok["last_charge_apply"][part].toBool()) << part;
    auto policy = call(daemon, "get_power_policy_state");
    EXPECT_TRUE(policy["charge_limit_enabled"].toBool());
    EXPECT_EQ(policy["target_charge_limit"].toInt(), 80);
    EXPECT_DOUBLE_EQ(policy["max_battery_temp"].toDouble(), 35.4);

    // A charger that does not take two of the parts: "partial", those two "_ok" false, the rest applied.
    call(daemon, "sim_battery", {{"charger_faults", QJsonArray{"heat_protection", "charge_limit"}}});
    QJsonObject changed = test::conformanceBatteryConfig(60);
    changed["safety_drain"] = true;
    changed["safety_drain_target_mode"] = "fixed";
    changed["safety_drain_target_percent"] = 50;
    const auto partial = call(daemon, "set_battery_config", changed);
    EXPECT_EQ(statusOf(partial), "partial");
    EXPECT_FALSE(partial["last_charge_apply"]["charge_limit_ok"].toBool());
    EXPECT_FALSE(partial["last_charge_apply"]["heat_protection_ok"].toBool());
    EXPECT_TRUE(partial["last_charge_apply"]["safety_drain_ok"].toBool());
    policy = call(daemon, "get_power_policy_state");
    EXPECT_EQ(policy["target_charge_limit"].toInt(), 80) << "the refused limit stays as it was";
    EXPECT_TRUE(policy["safety_drain_enabled"].toBool());
    EXPECT_EQ(policy["safety_drain_target_percent"].toInt(), 50);
    call(daemon, "sim_battery", {{"charger_faults", QJsonArray{}}});

    EXPECT_EQ(statusOf(call(daemon, "set_charge_limit", {{"limit", 70}})), "ok");
    EXPECT_EQ(call(daemon, "get_power_policy_state")["target_charge_limit"].toInt(), 70);
    EXPECT_EQ(statusOf(call(daemon, "request_one_time_full_charge", {{"restore_limit", 80}})), "ok");
    EXPECT_TRUE(call(daemon, "get_power_policy_state")["one_time_full_charge_active"].toBool());
    EXPECT_EQ(statusOf(call(daemon, "request_one_time_full_charge")), "ok");

    EXPECT_EQ(statusOf(call(daemon, "set_cloud_alert_settings",
                            {{"enabled", true},
                             {"user_id", "studio-mac-01"},
                             {"webhook_url", "https://hooks.example/abc"},
                             {"interval_seconds", 300}})),
              "ok");
    EXPECT_TRUE(call(daemon, "get_power_policy_state")["cloud_alerts_enabled"].toBool());
    EXPECT_EQ(statusOf(call(daemon, "clear_cloud_alert_settings")), "ok");
    EXPECT_FALSE(call(daemon, "get_power_policy_state")["cloud_alerts_enabled"].toBool());
}

TEST_F(Protocol, SleepHeldOffUntilTheBatteryFallsBelowTheCutOff)
{
    auto reply = call(daemon, "set_system_sleep_disabled",
                      {{"enabled", true}, {"battery_cutoff_percent", 40}, {"persist_user_intent", false}});
    EXPECT_TRUE(reply["effective_enabled"].toBool());

    call(daemon, "sim_adapter", {{"connected", false}});
    call(daemon, "sim_battery", {{"percent", 30}});
    reply = call(daemon, "set_system_sleep_disabled",
                 {{"enabled", true}, {"battery_cutoff_percent", 40}, {"persist_user_intent", false}});
    EXPECT_EQ(statusOf(reply), "ok");
    EXPECT_TRUE(reply["requested_enabled"].toBool());
    EXPECT_FALSE(reply["effective_enabled"].toBool());
    EXPECT_TRUE(reply["low_battery_vanilla_active"].toBool());
    EXPECT_EQ(reply["code"].toString(), "SLEEP_DISABLE_SUSPENDED_LOW_BATTERY");
    EXPECT_TRUE(call(daemon, "get_power_policy_state")["low_battery_vanilla_active"].toBool());
}

TEST_F(Protocol, OwnershipLeaseLapseEventsPreviewAndReset)
{
    EXPECT_FALSE(call(daemon, "get_power_policy_state")["app_lease_active"].toBool());
    call(daemon, "app_heartbeat");
    test::step(daemon, 16);
    EXPECT_FALSE(call(daemon, "get_power_policy_state")["app_lease_active"].toBool())
        << "the lease runs out without heartbeats";

    call(daemon, "sim_ownership", {{"ownership", "debug"}});
    EXPECT_EQ(call(daemon, "get_runtime_ownership")["channel"].toString(), "debug");
    EXPECT_EQ(statusOf(call(daemon, "release_debug_runtime")), "ok");
    EXPECT_EQ(call(daemon, "get_runtime_ownership")["channel"].toString(), "production");
    call(daemon, "sim_ownership", {{"ownership", "fenced"}});
    EXPECT_TRUE(call(daemon, "get_runtime_ownership")["transition_fenced"].toBool());

    call(daemon, "set_battery_config", test::conformanceBatteryConfig());
    call(daemon, "set_charge_limit", {{"limit", 90}});
    const auto evidence = call(daemon, "get_evidence_events", {{"limit", 2}, {"policy_prefix", "battery."}});
    const QJsonArray events = evidence["events"].toArray();
    ASSERT_EQ(events.size(), 2);
    expectKinds(events[0].toObject(),
                {{"policy_id", Kind::String},
                 {"action", Kind::String},
                 {"summary", Kind::String},
                 {"trigger", Kind::String},
                 {"result_state", Kind::String},
                 {"created_at", Kind::String}});
    EXPECT_EQ(events[0]["policy_id"].toString(), "battery.charge_limit") << "newest first";
    EXPECT_TRUE(QRegularExpression("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d$")
                    .match(events[0]["created_at"].toString())
                    .hasMatch());
    for (const auto& e :
         call(daemon, "get_evidence_events", {{"limit", 50}, {"policy_prefix", "fan."}})["events"].toArray())
        EXPECT_TRUE(e.toObject()["policy_id"].toString().startsWith("fan."));
    const auto diagnostics = call(daemon, "get_diagnostic_events", {{"limit", 5}});
    EXPECT_EQ(statusOf(diagnostics), "ok");
    EXPECT_LE(diagnostics["events"].toArray().size(), 5);
    EXPECT_GT(diagnostics["events"].toArray().size(), 0);

    const auto preview = call(daemon, "get_diagnostic_package_preview",
                              {{"include_process_names", false}, {"include_report_context", true}});
    expectKinds(preview,
                {{"included_files", Kind::Array},
                 {"excluded_data", Kind::Array},
                 {"upload_mode", Kind::String},
                 {"automatic_cloud_flush", Kind::Bool},
                 {"user_confirmed_required", Kind::Bool},
                 {"user_review_required", Kind::Bool},
                 {"include_process_names_default", Kind::Bool},
                 {"process_summary_mode", Kind::String}});

    call(daemon, "set_system_sleep_disabled", {{"enabled", true}, {"persist_user_intent", true}});
    call(daemon, "set_fan_rpm", {{"index", 0}, {"rpm", 4000}});
    EXPECT_EQ(statusOf(call(daemon, "reset_to_vanilla")), "ok");
    const auto policy = call(daemon, "get_power_policy_state");
    EXPECT_FALSE(policy["charge_limit_enabled"].toBool());
    EXPECT_FALSE(policy["fan_policy_enabled"].toBool());
    EXPECT_FALSE(policy["system_sleep_disabled_by_vantrel"].toBool());
    EXPECT_EQ(policy["power_only_state"].toString(), "unmanaged");
}

TEST_F(Protocol, UnframedBadRequestsGetAnErrorWithACode)
{
    const auto reply = [this](const QByteArray& bytes) {
        const ShapedReply shaped = daemon.respond(bytes);
        QByteArray all;
        for (const auto& s : shaped.segments)
            all += s;
        return QJsonDocument::fromJson(all).object();
    };
    // The shared suite sends malformed requests over the socket; these only a direct call can
    // send whole: nothing at all, an object cut off, bytes that are not text.
    for (const QByteArray& bad : {QByteArray(""), QByteArray("{\"cmd\":"), QByteArray("\xff\xfe\x00{", 4)}) {
        const auto r = reply(bad);
        EXPECT_EQ(statusOf(r), "error") << bad.constData();
        EXPECT_TRUE(r["code"].isString() && !r["code"].toString().isEmpty()) << bad.constData();
    }
    EXPECT_EQ(statusOf(reply("{\"cmd\":\"get_status\"}")), "ok");
    EXPECT_EQ(call(daemon, "sim_step", {{"seconds", 0}})["code"].toString(), "ERR_INVALID_ARGUMENT");
}
