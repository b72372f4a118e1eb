// The canonical user settings live in the state folder and come back after a restart.
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

#include <gtest/gtest.h>

#include "SimTestSupport.h"

using namespace vantrel;
using namespace vantrel::sim;
using test::call;
using test::statusOf;

TEST(CanonicalSettings, EveryAcceptedCommandIsStoredAndSurvivesARestart)
{
    test::TempDir dir;
    const SimDaemonConfig config = test::simConfig(dir);
    {
        SimDaemon daemon(config);
        EXPECT_FALSE(call(daemon, "get_user_settings_state")["exists"].toBool());
        EXPECT_EQ(call(daemon, "reload_user_settings")["load_status"].toString(), "missing");

        QJsonArray left{QJsonObject{{"temp", 40.0}, {"fan", 20.0}}, QJsonObject{{"temp", 80.0}, {"fan", 90.0}}};
        QJsonArray right{QJsonObject{{"temp", 50.0}, {"fan", 10.0}}};
        ASSERT_EQ(statusOf(call(daemon, "set_fan_config",
                                {{"mode", "manual"},
                                 {"unified", false},
                                 {"left_points", left},
                                 {"right_points", right},
                                 {"preset_name", "curve_silent"},
                                 {"smart_app_preset", true}})),
                  "ok");
        ASSERT_EQ(statusOf(call(daemon, "set_battery_config",
                                {{"enabled", true},
                                 {"limit", 70},
                                 {"charge_protector", false},
                                 {"drop", 5},
                                 {"heat_protect", true},
                                 {"max_temp", 38.5},
                                 {"safety_drain", true},
                                 {"safety_drain_target_mode", "fixed"},
                                 {"safety_drain_target_percent", 60}})),
                  "ok");
        // Not persisted: only a request that asks for it changes the stored sleep intent.
        call(daemon, "set_system_sleep_disabled",
             {{"enabled", true}, {"battery_cutoff_percent", 30}, {"persist_user_intent", false}});
        EXPECT_FALSE(call(daemon, "reload_user_settings")["settings"].toObject().contains("sleep"));
        call(daemon, "set_system_sleep_disabled",
             {{"enabled", true}, {"battery_cutoff_percent", 30}, {"persist_user_intent", true}});
        EXPECT_TRUE(call(daemon, "get_user_settings_state")["exists"].toBool());
    }

    SimDaemon restarted(config);
    const auto policy = call(restarted, "get_power_policy_state");
    EXPECT_TRUE(policy["charge_limit_enabled"].toBool()) << "restored into force at start";
    EXPECT_EQ(policy["target_charge_limit"].toInt(), 70);
    EXPECT_EQ(policy["safety_drain_target_percent"].toInt(), 60);
    EXPECT_TRUE(policy["fan_policy_enabled"].toBool());
    EXPECT_TRUE(policy["system_sleep_disabled_by_vantrel"].toBool());

    const auto reload = call(restarted, "reload_user_settings");
    EXPECT_EQ(statusOf(reload), "ok");
    EXPECT_EQ(reload["load_status"].toString(), "loaded");
    const QJsonObject s = reload["settings"].toObject();
    const QJsonObject fan = s["fan"].toObject();
    EXPECT_EQ(fan["mode"].toString(), "manual");
    EXPECT_FALSE(fan["unified"].toBool());
    EXPECT_TRUE(fan["smart_app_preset"].toBool());
    EXPECT_EQ(fan["preset_name"].toString(), "curve_silent");
    // The stored curve form the application converts: name + points of temperature / fan_percent.
    const QJsonObject leftCurve = fan["left_curve"].toObject();
    EXPECT_EQ(leftCurve["name"].toString(), "curve_silent");
    ASSERT_EQ(leftCurve["points"].toArray().size(), 2);
    EXPECT_DOUBLE_EQ(leftCurve["points"][1]["temperature"].toDouble(), 80.0);
    EXPECT_DOUBLE_EQ(leftCurve["points"][1]["fan_percent"].toDouble(), 90.0);
    EXPECT_DOUBLE_EQ(fan["right_curve"]["points"][0]["fan_percent"].toDouble(), 10.0);
    const QJsonObject battery = s["battery"].toObject();
    EXPECT_TRUE(battery["limit_enabled"].toBool());
    EXPECT_EQ(battery["target_limit"].toInt(), 70);
    EXPECT_FALSE(battery["charge_protector_enabled"].toBool());
    EXPECT_TRUE(battery["safety_drain_enabled"].toBool());
    EXPECT_EQ(battery["safety_drain_target_percent"].toInt(), 60);
    EXPECT_TRUE(battery["heat_protection_enabled"].toBool());
    EXPECT_DOUBLE_EQ(battery["max_battery_temp"].toDouble(), 38.5);
    EXPECT_TRUE(s["sleep"]["system_sleep_disabled"].toBool());
    EXPECT_EQ(s["sleep"]["battery_cutoff_percent"].toInt(), 30);

    // Changing the charge limit rewrites just that: the rest stays as stored.
    call(restarted, "set_charge_limit", {{"limit", 90}});
    const QJsonObject after = call(restarted, "reload_user_settings")["settings"].toObject();
    EXPECT_EQ(after["battery"]["target_limit"].toInt(), 90);
    EXPECT_EQ(after["battery"]["safety_drain_target_percent"].toInt(), 60);
    EXPECT_EQ(after["fan"]["preset_name"].toString(), "curve_silent");
}

TEST(CanonicalSettings, DamagedOrUnrunnableSettingsAreReportedNotFatal)
{
    test::TempDir dir;
    const SimDaemonConfig config = test::simConfig(dir, MachineProfile::fanlessLaptop());
    dir.write("state/user-settings.json", "{ this is not json");
    SimDaemon daemon(config); // starts despite the damaged file
    EXPECT_TRUE(call(daemon, "get_user_settings_state")["exists"].toBool());
    const auto invalid = call(daemon, "reload_user_settings");
    EXPECT_EQ(statusOf(invalid), "error");
    EXPECT_EQ(invalid["load_status"].toString(), "invalid");
    EXPECT_EQ(invalid["code"].toString(), "ERR_USER_SETTINGS_INVALID");

    // A manual fan curve stored for a Mac without fans: the rest is loaded, the reply is "partial".
    dir.write(
        "state/user-settings.json",
        R"({"fan": {"mode": "manual", "left_curve": {"name": "x", "points": [{"temperature": 40, "fan_percent": 50}]}},
                  "battery": {"limit_enabled": true, "target_limit": 60}})");
    const auto partial = call(daemon, "reload_user_settings");
    EXPECT_EQ(statusOf(partial), "partial");
    EXPECT_EQ(partial["load_status"].toString(), "loaded");
    EXPECT_EQ(partial["code"].toString(), "ERR_FAN_RUNTIME_UNAVAILABLE");
    EXPECT_EQ(call(daemon, "get_power_policy_state")["target_charge_limit"].toInt(), 60);

    // A command after a damaged file replaces it with a readable one.
    dir.write("state/user-settings.json", "garbage");
    EXPECT_EQ(statusOf(call(daemon, "set_charge_limit", {{"limit", 75}})), "ok");
    EXPECT_EQ(statusOf(call(daemon, "reload_user_settings")), "ok");
}
