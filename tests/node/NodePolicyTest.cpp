// The node's policies on a fake ThinkPad in virtual time: the heartbeat lease, stored settings
// at start, the battery policy's parts and the watch for firmware that ignores the limit.
#include <QJsonDocument>

#include <gtest/gtest.h>

#include "NodeTestSupport.h"
#include "conformance/DaemonConformance.h"
#include "daemonserver/SettingsFile.h"

using namespace vantrel;
using test::FakeNode;
using test::FakeSysfsTree;

namespace {

const QString kEnd = QStringLiteral("sys/class/power_supply/BAT0/charge_control_end_threshold");
const QString kStart = QStringLiteral("sys/class/power_supply/BAT0/charge_control_start_threshold");
const QString kBehaviour = QStringLiteral("sys/class/power_supply/BAT0/charge_behaviour");
const QString kPwmEnable = QStringLiteral("sys/class/hwmon/hwmon5/pwm1_enable");

QJsonObject manualCurve(double percent)
{
    const QJsonArray points{QJsonObject{{"temp", 0.0}, {"fan", percent}},
                            QJsonObject{{"temp", 100.0}, {"fan", percent}}};
    return {{"mode", "manual"},       {"unified", true},         {"left_points", points},
            {"right_points", points}, {"preset_name", "steady"}, {"smart_app_preset", false}};
}

} // namespace

TEST(NodeLease, LapseHandsFansBackAndReleasesSleepUntilTheAppReturns)
{
    FakeNode node;
    ASSERT_EQ(node.call("app_heartbeat")["status"].toString(), "ok");
    ASSERT_EQ(node.call("set_fan_config", manualCurve(100))["status"].toString(), "ok");
    const auto sleep = node.call("set_system_sleep_disabled", {{"enabled", true}, {"persist_user_intent", false}});
    EXPECT_TRUE(sleep["effective_enabled"].toBool());
    EXPECT_TRUE(node.inhibitors->held());
    EXPECT_EQ(node.file(kPwmEnable), "1") << "the daemon drives the fan";
    EXPECT_EQ(node.file(QStringLiteral("sys/class/hwmon/hwmon5/pwm1")), "255");

    // Heartbeats every 5 s keep everything in place.
    for (int i = 0; i < 4; ++i) {
        node.advance(5);
        node.call("app_heartbeat");
    }
    EXPECT_TRUE(node.inhibitors->held());
    EXPECT_EQ(node.file(kPwmEnable), "1");

    node.advance(16);
    EXPECT_FALSE(node.inhibitors->held()) << "lease lapsed: sleep inhibitor released";
    EXPECT_EQ(node.file(kPwmEnable), "2") << "lease lapsed: fan back to automatic";
    const auto policy = node.call("get_power_policy_state", {}, 1500);
    EXPECT_FALSE(policy["app_lease_active"].toBool());
    EXPECT_FALSE(policy["system_sleep_disabled_by_vantrel"].toBool());
    EXPECT_EQ(
        node.call("get_evidence_events", {{"limit", 5}, {"policy_prefix", "safety."}}, 1500)["events"][0]["action"]
            .toString(),
        "lease_lapsed");

    // The application comes back: the user's choices are put back in force.
    node.call("app_heartbeat");
    node.advance(2);
    EXPECT_TRUE(node.inhibitors->held());
    EXPECT_EQ(node.file(kPwmEnable), "1");

    node.daemon->stop();
    EXPECT_EQ(node.file(kPwmEnable), "2") << "stopping the daemon hands the fan back";
    EXPECT_FALSE(node.inhibitors->held());
}

TEST(NodeLease, ARefusedInhibitorIsRetriedWithBackOffNotOnEveryPass)
{
    FakeNode node;
    node.inhibitors->refuse = true;
    const auto reply = node.call("set_system_sleep_disabled", {{"enabled", true}, {"persist_user_intent", false}});
    EXPECT_FALSE(reply["effective_enabled"].toBool());
    EXPECT_EQ(reply["code"].toString(), "SLEEP_INHIBITOR_UNAVAILABLE");
    EXPECT_EQ(node.inhibitors->attempts, 1);
    // Sixty passes of the policy loop (two minutes, the lease kept): after 1, 2, 4, 8, 16 and
    // 32 passes, not sixty times.
    for (int i = 0; i < 24; ++i) {
        node.advance(5);
        node.call("app_heartbeat");
    }
    EXPECT_GE(node.inhibitors->attempts, 5);
    EXPECT_LE(node.inhibitors->attempts, 7);
    // logind is back: the next retry takes it.
    node.inhibitors->refuse = false;
    EXPECT_FALSE(node.inhibitors->held());
    for (int i = 0; i < 14; ++i) {
        node.advance(5);
        node.call("app_heartbeat");
    }
    EXPECT_TRUE(node.inhibitors->held());
}

TEST(NodeSettings, StoredSettingsAreRestoredAtStart)
{
    FakeNode node(test::buildThinkpad, false);
    daemonserver::SettingsFile stored(node.dir.file(QStringLiteral("var/lib/vantrel/user-settings.json")),
                                      QStringLiteral("vantrel_user_settings.v1"));
    ASSERT_TRUE(stored.storeSection(QStringLiteral("battery"),
                                    QJsonObject{{"limit_enabled", true},
                                                {"target_limit", 70},
                                                {"charge_protector_enabled", true},
                                                {"charge_protector_drop_percent", 10}},
                                    0));
    ASSERT_TRUE(stored.storeSection(QStringLiteral("sleep"),
                                    QJsonObject{{"system_sleep_disabled", true}, {"battery_cutoff_percent", 30}}, 0));
    node.start();
    EXPECT_EQ(node.file(kEnd), "70");
    EXPECT_EQ(node.file(kStart), "60");
    const auto policy = node.call("get_power_policy_state", {}, 1500);
    EXPECT_EQ(policy["target_charge_limit"].toInt(), 70);
    EXPECT_TRUE(policy["charge_protector_enabled"].toBool());
    EXPECT_EQ(policy["sleep_battery_cutoff_percent"].toInt(), 30);
    EXPECT_TRUE(node.call("get_user_settings_state", {}, 1500)["exists"].toBool());

    // A change is stored, and the next start puts it back.
    EXPECT_EQ(node.call("set_charge_limit", {{"limit", 85}})["status"].toString(), "ok");
    node.daemon.reset();
    FakeSysfsTree::write(node.dir.path(), kEnd, "100\n");
    node.start();
    EXPECT_EQ(node.file(kEnd), "85");

    // A damaged file is reported, not trusted.
    node.daemon.reset();
    node.dir.write(QStringLiteral("var/lib/vantrel/user-settings.json"), "{not json");
    node.start();
    EXPECT_EQ(node.call("reload_user_settings")["code"].toString(), "ERR_USER_SETTINGS_INVALID");
}

TEST(NodeBattery, PartsTheMachineLacksAreReportedNotFaked)
{
    // ASUS: an end threshold only; no start threshold, no charge_behaviour.
    FakeNode asus(FakeSysfsTree::asusLaptop);
    QJsonObject config = test::conformanceBatteryConfig(60);
    config["safety_drain"] = true;
    const auto reply = asus.call("set_battery_config", config);
    EXPECT_EQ(reply["status"].toString(), "partial");
    EXPECT_EQ(reply["code"].toString(), "ERR_CHARGE_APPLY_PARTIAL");
    const QJsonObject parts = reply["last_charge_apply"].toObject();
    EXPECT_TRUE(parts["charge_limit_ok"].toBool());
    EXPECT_FALSE(parts["charge_protector_ok"].toBool());
    EXPECT_FALSE(parts["heat_protection_ok"].toBool());
    EXPECT_FALSE(parts["safety_drain_ok"].toBool());
    EXPECT_EQ(parts["safety_drain_code"].toString(), "unsupported");
    EXPECT_EQ(asus.file(QStringLiteral("sys/class/power_supply/BAT0/charge_control_end_threshold")), "60");

    // ThinkPad: the safety drain discharges on AC down to its target, then gives charging back.
    FakeNode thinkpad;
    config = test::conformanceBatteryConfig(80);
    config["safety_drain"] = true;
    config["safety_drain_target_mode"] = "fixed";
    config["safety_drain_target_percent"] = 70;
    EXPECT_TRUE(
        thinkpad.call("set_battery_config", config)["last_charge_apply"].toObject()["safety_drain_ok"].toBool());
    thinkpad.advance(2);
    EXPECT_EQ(thinkpad.file(kBehaviour), "auto inhibit-charge [force-discharge]");
    EXPECT_TRUE(thinkpad.call("get_power_policy_state")["safety_drain_active"].toBool());
    FakeSysfsTree::write(thinkpad.dir.path(), QStringLiteral("sys/class/power_supply/BAT0/capacity"), "70\n");
    thinkpad.advance(2);
    EXPECT_EQ(thinkpad.file(kBehaviour), "[auto] inhibit-charge force-discharge");
    EXPECT_FALSE(thinkpad.call("get_power_policy_state")["safety_drain_active"].toBool());
}

TEST(NodeBattery, HeatProtectionHoldsChargingUntilTheBatteryHasCooled)
{
    FakeNode node;
    FakeSysfsTree::write(node.dir.path(), QStringLiteral("sys/class/power_supply/BAT0/temp"), "330\n");
    const auto reply = node.call("set_battery_config", test::conformanceBatteryConfig(80));
    EXPECT_EQ(reply["status"].toString(), "ok") << "a battery temperature makes heat protection possible";
    EXPECT_TRUE(reply["last_charge_apply"].toObject()["heat_protection_ok"].toBool());

    FakeSysfsTree::write(node.dir.path(), QStringLiteral("sys/class/power_supply/BAT0/temp"), "368\n");
    node.advance(2);
    EXPECT_EQ(node.file(kBehaviour), "auto [inhibit-charge] force-discharge") << "36.8 °C is above 35.4 °C";
    auto policy = node.call("get_power_policy_state");
    EXPECT_TRUE(policy["heat_protection_active"].toBool());
    EXPECT_EQ(policy["power_only_state"].toString(), "heat_protection");
    EXPECT_DOUBLE_EQ(policy["battery_temperature"].toDouble(), 36.8);

    FakeSysfsTree::write(node.dir.path(), QStringLiteral("sys/class/power_supply/BAT0/temp"), "345\n");
    node.advance(2);
    EXPECT_EQ(node.file(kBehaviour), "auto [inhibit-charge] force-discharge") << "34.5 °C: not yet 2 °C below";
    FakeSysfsTree::write(node.dir.path(), QStringLiteral("sys/class/power_supply/BAT0/temp"), "330\n");
    node.advance(2);
    EXPECT_EQ(node.file(kBehaviour), "[auto] inhibit-charge force-discharge");
    EXPECT_FALSE(node.call("get_power_policy_state")["heat_protection_active"].toBool());
}

TEST(NodeBattery, AnIgnoredLimitIsReportedAsNotInEffect)
{
    FakeNode node;
    ASSERT_EQ(node.call("set_charge_limit", {{"limit", 80}})["status"].toString(), "ok");
    // The firmware took 80 % and charges on regardless.
    FakeSysfsTree::write(node.dir.path(), QStringLiteral("sys/class/power_supply/BAT0/capacity"), "86\n");
    FakeSysfsTree::write(node.dir.path(), QStringLiteral("sys/class/power_supply/BAT0/status"), "Charging\n");
    node.advance(60);
    EXPECT_FALSE(node.call("get_power_policy_state")["hardware_fallback_active"].toBool()) << "a minute is not proof";
    node.advance(6 * 60);
    const auto policy = node.call("get_power_policy_state");
    EXPECT_FALSE(policy["charge_limit_in_effect"].toBool());
    EXPECT_TRUE(policy["hardware_fallback_active"].toBool());
    EXPECT_TRUE(policy["charge_limit_warning_message"].isString());
    FakeSysfsTree::write(node.dir.path(), QStringLiteral("sys/class/power_supply/BAT0/status"), "Not charging\n");
    node.advance(2);
    EXPECT_TRUE(node.call("get_power_policy_state")["charge_limit_in_effect"].toBool());
}

TEST(NodeBattery, BothThinkpadBatteriesAreReadAndLimitedTogether)
{
    FakeNode node(FakeSysfsTree::thinkpadTwoBatteries);
    const QString bat1End = QStringLiteral("sys/class/power_supply/BAT1/charge_control_end_threshold");
    const QString bat1Start = QStringLiteral("sys/class/power_supply/BAT1/charge_control_start_threshold");
    EXPECT_EQ(node.call("get_status")["battery_percent"].toInt(), 50) << "weighted by each battery's energy_full";
    auto policy = node.call("get_power_policy_state");
    EXPECT_EQ(policy["battery_percent"].toInt(), 50);
    EXPECT_TRUE(policy["is_charging"].toBool()) << "BAT1 charges while BAT0 waits";
    EXPECT_EQ(node.call("get_power_source_info")["battery_registry"].toObject()["name"].toString(), "BAT0+BAT1");

    auto limit = node.call("set_charge_limit", {{"limit", 85}});
    EXPECT_EQ(limit["status"].toString(), "ok");
    EXPECT_EQ(limit["applied_limit"].toInt(), 85);
    EXPECT_EQ(node.file(kEnd), "85");
    EXPECT_EQ(node.file(bat1End), "85");

    const auto config = node.call("set_battery_config", test::conformanceBatteryConfig(60));
    EXPECT_TRUE(config["last_charge_apply"].toObject()["charge_protector_ok"].toBool());
    EXPECT_EQ(node.file(kStart), node.file(bat1Start));
    EXPECT_EQ(node.file(bat1End), "60");

    // BAT1's firmware starts failing writes to its end threshold: the reply is no success and names it.
    node.daemon.reset();
    node.daemon = std::make_unique<node::NodeDaemon>(
        node::NodeConfig{node.dir.path(), node.dir.file(QStringLiteral("var/lib/vantrel")),
                         [](const QString& path, const QByteArray& value) {
        if (path.contains(QStringLiteral("/BAT1/charge_control_end")))
            return QStringLiteral("Input/output error");
        return FakeSysfsTree::kernelWriter()(path, value);
                         }},
        node.dispatch, node.inhibitors,
        std::make_shared<node::Authorizer>(node.sessions, node.groups, test::kDaemonUid));
    node.daemon->start();
    limit = node.call("set_charge_limit", {{"limit", 90}});
    EXPECT_EQ(limit["status"].toString(), "error");
    EXPECT_EQ(limit["code"].toString(), "ERR_CHARGE_APPLY_FAILED");
    EXPECT_TRUE(limit["message"].toString().contains("BAT1")) << limit["message"].toString().toStdString();
    EXPECT_EQ(node.file(kEnd), "90");
    EXPECT_EQ(node.file(bat1End), "60");
}

TEST(NodeBattery, TurningTheProtectorOffFreesTheStartThreshold)
{
    FakeNode node; // a ThinkPad that starts at 75 and ends at 80
    EXPECT_EQ(node.file(kStart), "75");
    QJsonObject config = test::conformanceBatteryConfig(80);
    config["charge_protector"] = false;
    config["limit"] = 70; // below the start the firmware holds
    const auto reply = node.call("set_battery_config", config);
    EXPECT_TRUE(reply["last_charge_apply"].toObject()["charge_limit_ok"].toBool());
    EXPECT_EQ(node.file(kEnd), "70");
    EXPECT_EQ(node.file(kStart), "0") << "charging resumes whenever the battery is below the limit";
    // At 79 % on the adapter, above the new limit: the state in the words the application shows.
    EXPECT_EQ(node.call("get_power_policy_state")["power_only_state"].toString(), "power_only_hold_until_drop_floor");

    config["charge_protector"] = true;
    node.call("set_battery_config", config);
    EXPECT_EQ(node.file(kStart), "65");
    const auto limit = node.call("set_charge_limit", {{"limit", 90}});
    EXPECT_EQ(limit["status"].toString(), "ok");
    EXPECT_EQ(node.file(kEnd), "90");
    EXPECT_EQ(node.file(kStart), "85");
    EXPECT_EQ(node.call("get_power_policy_state")["power_only_state"].toString(), "charging_to_target");
}

TEST(NodeProfile, LogindIsAskedOnceNotOnEveryProfileRequest)
{
    FakeNode node;
    node.inhibitors->refuse = true; // logind not up yet
    EXPECT_FALSE(node.call("get_hardware_profile")["supports_clamshell"].toBool());
    node.inhibitors->refuse = false;
    node.advance(10);
    EXPECT_FALSE(node.call("get_hardware_profile")["supports_clamshell"].toBool()) << "asked again only later";
    EXPECT_EQ(node.inhibitors->availabilityQueries, 1);
    node.advance(25);
    EXPECT_TRUE(node.call("get_hardware_profile")["supports_clamshell"].toBool());
    EXPECT_EQ(node.inhibitors->availabilityQueries, 2);
    for (int i = 0; i < 20; ++i) {
        node.advance(60);
        node.call("app_heartbeat");
        EXPECT_TRUE(node.call("get_hardware_profile")["supports_clamshell"].toBool());
    }
    EXPECT_EQ(node.inhibitors->availabilityQueries, 2) << "a yes holds while the daemon runs";

    // logind refuses an inhibitor (gone, or restarting): the next profile asks again.
    node.inhibitors->refuse = true;
    node.call("set_system_sleep_disabled", {{"enabled", true}, {"persist_user_intent", false}});
    EXPECT_FALSE(node.call("get_hardware_profile")["supports_clamshell"].toBool());
    EXPECT_EQ(node.inhibitors->availabilityQueries, 3);
}
