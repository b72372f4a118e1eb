#include "power/PowerPageModel.h"

#include <memory>

#include <gtest/gtest.h>

#include "base/Preferences.h"
#include "base/VirtualDispatch.h"
#include "daemon/DaemonClient.h"
#include "l10n/L10n.h"
#include "power/BatteryPolicyState.h"
#include "support/FakeDaemonTransport.h"

namespace vantrel {
namespace {

using Tone = StatusTone;

struct PageFixture : ::testing::Test {
    MemoryPreferences prefs;
    BatteryPolicyState policy{prefs};
    std::shared_ptr<test::FakeDaemonTransport> daemon = std::make_shared<test::FakeDaemonTransport>();
    DaemonClient client{daemon};
    VirtualDispatch dispatch;
    bool hasBattery = true;
    PowerPageModel page{policy, client, dispatch, [this] { return hasBattery; }};

    void settle() { dispatch.runUntilIdle(); }
    std::vector<QJsonObject> sent(const char* cmd) { return daemon->requestsFor(QString::fromLatin1(cmd)); }
    void expectStatus(const char* key, Tone tone, std::optional<QString> argument = std::nullopt)
    {
        EXPECT_EQ(page.featureActionStatusKey(), QString::fromLatin1(key));
        EXPECT_EQ(page.featureActionStatusTone(), tone);
        EXPECT_EQ(page.featureActionStatusArgument(), argument);
    }
};

// The daemon's view after a rejected apply: limit off at 60, protector off, heat at 40.
const QJsonObject daemonHolds{{"status", "ok"},
                              {"battery_present", true},
                              {"power_only_state", "power_only_at_target"},
                              {"charge_limit_enabled", false},
                              {"target_charge_limit", 60},
                              {"charge_protector_enabled", false},
                              {"safety_drain_enabled", false},
                              {"safety_drain_target_mode", "fixed"},
                              {"safety_drain_target_percent", 70},
                              {"heat_protection_enabled", true},
                              {"max_battery_temp", 40.0}};

TEST_F(PageFixture, NormalizedChargeLimitRoundsToTensWithinFiftyToHundred)
{
    for (auto [slider, limit] : {std::pair{84.0, 80}, {85.0, 90}, {30.0, 50}, {104.0, 100}, {55.0, 60}, {-20.0, 50}}) {
        page.setChargeLimit(slider);
        EXPECT_EQ(page.normalizedChargeLimit(), limit) << slider;
    }
}

TEST_F(PageFixture, ApplyWritesThePolicyThroughAndReportsSuccessWithTheLimitSent)
{
    daemon->replyOk("set_battery_config");
    daemon->reply("get_power_policy_state", daemonHolds);
    page.handleFeatureToggle(15, true);
    page.setToggle(17, true);
    page.setChargeLimit(86);
    page.setHeatMaxTemp(37.5);
    page.applyBatteryConfig("slider");

    expectStatus("power.status.set_battery_config_applying", Tone::Progress);
    EXPECT_EQ(policy.chargeLimit(), 90);
    EXPECT_EQ(prefs.optionalInt("chargeLimit"), 90);
    EXPECT_DOUBLE_EQ(policy.maxBatteryTemp(), 37.5);
    EXPECT_FALSE(policy.heatProtectionEnabled()) << "switch 19 is off";

    settle();
    const auto requests = sent("set_battery_config");
    ASSERT_EQ(requests.size(), 2u) << "the toggle of 15 applied too";
    EXPECT_EQ(requests.back().value("limit").toInt(), 90);
    EXPECT_DOUBLE_EQ(requests.back().value("max_temp").toDouble(), 37.5);
    expectStatus("power.status.set_battery_config_success", Tone::Success, "90");

    // The readback right after a send leaves the user's switches and sliders alone.
    EXPECT_TRUE(page.isOn(15));
    EXPECT_DOUBLE_EQ(page.chargeLimit(), 86);
    EXPECT_EQ(page.batteryGateValue(), "has_battery");
    EXPECT_EQ(page.powerStateValue(), "power_only_at_target");
    EXPECT_EQ(page.alertValue(), L10n::tr("power.alert.off"));
}

TEST_F(PageFixture, RejectedApplyShowsTheDaemonsReasonAndItsValues)
{
    daemon->reply("set_battery_config", QJsonObject{{"status", "error"}, {"message", "limit locked"}, {"reason", "r"}});
    daemon->reply("get_power_policy_state", daemonHolds);
    page.setToggle(15, true);
    page.setToggle(17, true);
    page.applyBatteryConfig("x");
    settle();
    expectStatus("power.status.set_battery_config_fail_msg", Tone::Failure, "limit locked");
    EXPECT_FALSE(page.isOn(15));
    EXPECT_FALSE(page.isOn(17));
    EXPECT_TRUE(page.isOn(19));
    EXPECT_DOUBLE_EQ(page.chargeLimit(), 60);
    EXPECT_DOUBLE_EQ(page.heatMaxTemp(), 40);
    EXPECT_EQ(page.safetyDrainTargetPercent(), 70);
    EXPECT_EQ(policy.safetyDrainTargetPercent(), 70) << "the daemon's drain target is stored";
    EXPECT_EQ(prefs.optionalInt("safetyDrainTargetPercent"), 70);

    daemon->reply("set_battery_config", QJsonObject{{"status", "error"}, {"message", 5}, {"reason", "busy"}});
    page.applyBatteryConfig("x");
    settle();
    expectStatus("power.status.set_battery_config_fail_msg", Tone::Failure, "busy");

    daemon->reply("set_battery_config", QJsonObject{{"status", "error"}});
    daemon->reply("get_power_policy_state", std::nullopt);
    page.applyBatteryConfig("x");
    settle();
    expectStatus("power.status.set_battery_config_fail_msg", Tone::Failure,
                 L10n::tr("power.status.set_battery_config_reject"));
}

TEST_F(PageFixture, PartialAndMissingRepliesHaveTheirOwnTexts)
{
    daemon->reply("set_battery_config",
                  QJsonObject{{"status", "partial"},
                              {"last_charge_apply",
                               QJsonObject{{"smc_ok", false},
                                           {"bclm_ok", false},
                                           {"helper_ok", true},
                                           {"readback", false},
                                           {"chwa_ok", "false"}}}});
    page.applyBatteryConfig("x");
    settle();
    expectStatus("power.status.set_battery_config_partial_msg", Tone::Warning, "bclm_ok, smc_ok");

    daemon->reply("set_battery_config",
                  QJsonObject{{"status", "partial"}, {"last_charge_apply", QJsonObject{{"a_ok", true}}}});
    page.applyBatteryConfig("x");
    settle();
    expectStatus("power.status.set_battery_config_partial", Tone::Warning);

    daemon->reply("set_battery_config", std::nullopt);
    daemon->reply("get_power_policy_state", daemonHolds);
    page.applyBatteryConfig("x");
    settle();
    expectStatus("power.status.set_battery_config_delay", Tone::Warning);

    daemon->reply("set_battery_config", QJsonObject{{"status", 1}});
    daemon->reply("get_power_policy_state", std::nullopt);
    page.applyBatteryConfig("x");
    settle();
    expectStatus("power.status.set_battery_config_fail_no_resp", Tone::Failure);
    EXPECT_EQ(policy.lastBatteryConfigSignature(), std::nullopt) << "the screen's apply leaves the signature alone";
}

TEST_F(PageFixture, WithoutABatteryEverySwitchIsInert)
{
    hasBattery = false;
    page.handleFeatureToggle(15, true);
    page.handleFeatureToggle(21, true);
    page.handleFeatureToggle(23, true);
    page.handleFeatureToggle(16, true);
    page.applyBatteryConfig("x");
    page.selectSafetyDrainTarget(60);
    settle();
    EXPECT_TRUE(daemon->requests().empty());
    EXPECT_FALSE(page.isOn(15));
    EXPECT_TRUE(page.featureActionStatusKey().isEmpty());
    EXPECT_FALSE(page.safetyDrainTargetPercent());
    EXPECT_FALSE(policy.safetyDrainTargetPercent());
}

TEST_F(PageFixture, OneTimeFullChargeAndLockedFeatures)
{
    page.setChargeLimit(74);
    page.handleFeatureToggle(21, true);
    expectStatus("power.status.charge_one_time_applying", Tone::Progress);
    EXPECT_FALSE(page.isOn(21)) << "the switch springs back at once";
    daemon->replyOk("request_one_time_full_charge");
    settle();
    ASSERT_EQ(sent("request_one_time_full_charge").size(), 1u);
    EXPECT_EQ(sent("request_one_time_full_charge")[0].value("restore_limit").toInt(), 70);
    expectStatus("power.status.charge_one_time_success", Tone::Success);

    daemon->reply("request_one_time_full_charge", QJsonObject{{"status", "error"}});
    page.handleFeatureToggle(21, true);
    settle();
    expectStatus("power.status.charge_one_time_failure", Tone::Failure);
    page.handleFeatureToggle(21, false);
    settle();
    EXPECT_EQ(sent("request_one_time_full_charge").size(), 2u) << "switching off sends nothing";

    page.handleFeatureToggle(16, true);
    expectStatus("power.status.feature_locked", Tone::Neutral, "backend needed");
    EXPECT_EQ(sent("set_battery_config").size(), 0u);
}

TEST_F(PageFixture, CloudAlertsNeedAnHttpsAddress)
{
    page.setWebhookURL("http://hooks.example.com/x");
    page.handleFeatureToggle(22, true);
    expectStatus("power.status.webhook_invalid", Tone::Failure);
    EXPECT_FALSE(page.isOn(22));
    page.savePowerAlertSettings();
    expectStatus("power.status.webhook_invalid", Tone::Failure);
    settle();
    EXPECT_TRUE(daemon->requests().empty());

    // Switching off never needs a valid address.
    page.handleFeatureToggle(23, false);
    settle();
    ASSERT_EQ(sent("set_cloud_alert_settings").size(), 1u);
    EXPECT_FALSE(sent("set_cloud_alert_settings")[0].value("enabled").toBool());
    expectStatus("power.status.webhook_failure", Tone::Failure);

    page.setWebhookURL("https://hooks.example.com/x");
    page.setWebhookUserID("desk-2");
    page.setHeartbeatInterval(900);
    daemon->replyOk("set_cloud_alert_settings");
    page.handleFeatureToggle(22, true);
    settle();
    expectStatus("power.status.webhook_success", Tone::Success);
    EXPECT_EQ(sent("set_cloud_alert_settings").back(),
              (QJsonObject{{"cmd", "set_cloud_alert_settings"},
                           {"enabled", true},
                           {"user_id", "desk-2"},
                           {"webhook_url", "https://hooks.example.com/x"},
                           {"interval_seconds", 900}}));

    page.savePowerAlertSettings();
    EXPECT_TRUE(page.isOn(23));
    settle();
    expectStatus("power.alert_settings.save_success", Tone::Success);
    daemon->reply("set_cloud_alert_settings", std::nullopt);
    page.savePowerAlertSettings();
    settle();
    expectStatus("power.alert_settings.save_failure", Tone::Failure);
}

TEST_F(PageFixture, SafetyDrainTargetChoiceIsSentAndStored)
{
    daemon->replyOk("set_battery_config");
    page.selectSafetyDrainTarget(60);
    EXPECT_EQ(prefs.optionalInt("safetyDrainTargetPercent"), 60);
    settle();
    auto request = sent("set_battery_config").back();
    EXPECT_EQ(request.value("safety_drain_target_mode").toString(), "fixed");
    EXPECT_EQ(request.value("safety_drain_target_percent").toInt(), 60);

    page.selectSafetyDrainTarget(std::nullopt);
    EXPECT_FALSE(prefs.exists("safetyDrainTargetPercent"));
    settle();
    request = sent("set_battery_config").back();
    EXPECT_EQ(request.value("safety_drain_target_mode").toString(), "charge_limit");
    EXPECT_FALSE(request.contains("safety_drain_target_percent"));
}

TEST_F(PageFixture, ReadbackSwitchChangesAreNotRequests)
{
    // A view that forwards every switch change, including programmatic ones.
    QObject::connect(&page, &PowerPageModel::toggleChanged,
                     [this](int id, bool on) { page.handleFeatureToggle(id, on); });
    QJsonObject power = daemonHolds;
    power["charge_limit_enabled"] = true;
    power["safety_drain_enabled"] = true;
    page.applyPowerReadback(power, false);
    settle();
    EXPECT_TRUE(daemon->requests().empty());
    EXPECT_TRUE(page.isOn(15));
    EXPECT_TRUE(page.isOn(18));
    EXPECT_FALSE(page.isSyncingReadback());

    // Mistyped values leave the switches as they are; another mode clears the fixed target.
    page.applyPowerReadback(QJsonObject{{"charge_limit_enabled", 0},
                                        {"target_charge_limit", 55.5},
                                        {"safety_drain_target_mode", "charge_limit"},
                                        {"safety_drain_target_percent", 50}},
                            false);
    EXPECT_TRUE(page.isOn(15));
    EXPECT_DOUBLE_EQ(page.chargeLimit(), 60);
    EXPECT_FALSE(page.safetyDrainTargetPercent());
    EXPECT_FALSE(policy.safetyDrainTargetPercent());
    EXPECT_EQ(page.batteryGateValue(), "has_battery") << "absent keys leave the summaries unchanged";
}

TEST_F(PageFixture, SafetyDrainStatusFromTheReadback)
{
    auto drain = [&](QJsonObject power) {
        page.updateSafetyDrainFromPower(power);
        return std::tuple(page.safetyDrainState(), page.safetyDrainCountdown(), page.safetyDrainTargetLabel());
    };
    using R = std::tuple<QString, std::optional<int>, QString>;
    EXPECT_EQ(
        drain({{"safety_drain_enabled", true}, {"safety_drain_active", false}, {"safety_drain_auto_wait_seconds", 45}}),
        R("waiting", 45, "Auto"));
    EXPECT_EQ(drain({{"safety_drain_enabled", true},
                     {"battery_percent", 42},
                     {"safety_drain_target_mode", "fixed"},
                     {"safety_drain_effective_target_percent", 50}}),
              R("idle", std::nullopt, "50%"));
    EXPECT_EQ(
        drain({{"safety_drain_enabled", true}, {"battery_percent", 60}, {"safety_drain_effective_target_percent", 50}}),
        R("off", std::nullopt, "Auto"));
    EXPECT_EQ(
        drain({{"safety_drain_enabled", true}, {"safety_drain_active", true}, {"safety_drain_auto_wait_seconds", 45}}),
        R("active", std::nullopt, "Auto"));
    EXPECT_EQ(drain({{"safety_drain_enabled", false}, {"safety_drain_active", true}}), R("off", std::nullopt, "Auto"));
}

TEST_F(PageFixture, ScheduledAppliesWithinThreeHundredMillisecondsSendOnlyTheLast)
{
    daemon->replyOk("set_battery_config");
    page.setToggle(17, true);
    for (double temp : {36.0, 38.0, 41.0}) {
        page.setHeatMaxTemp(temp);
        page.scheduleBatteryConfigApply("heat-slider", false);
        expectStatus("power.status.set_battery_config_prep", Tone::Progress);
        dispatch.advance(Duration(100));
    }
    settle();
    dispatch.advance(Duration(199));
    EXPECT_TRUE(sent("set_battery_config").empty()) << "299 ms after the last change nothing is sent yet";
    EXPECT_TRUE(page.hasPendingBatteryApply());
    dispatch.advance(Duration(1));
    settle();
    const auto requests = sent("set_battery_config");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_DOUBLE_EQ(requests[0].value("max_temp").toDouble(), 41.0);
    EXPECT_FALSE(page.isOn(15)) << "the heat slider does not switch the limit on";
    EXPECT_FALSE(page.hasPendingBatteryApply());

    // The charge-limit path switches the limit on before it schedules.
    page.setToggle(17, false);
    page.scheduleBatteryConfigApply("limit-slider", true);
    EXPECT_TRUE(page.isOn(15));
    dispatch.advance(Duration(300));
    settle();
    EXPECT_EQ(sent("set_battery_config").size(), 2u);
    EXPECT_TRUE(sent("set_battery_config").back().value("enabled").toBool());
}

TEST_F(PageFixture, ScheduledApplyNeedsTheLimitOrTheProtectorAndIsQuietDuringAReadback)
{
    daemon->replyOk("set_battery_config");
    page.scheduleBatteryConfigApply("heat-slider", false);
    dispatch.advance(Duration(1000));
    settle();
    EXPECT_TRUE(sent("set_battery_config").empty());
    EXPECT_FALSE(page.hasPendingBatteryApply());
    EXPECT_TRUE(page.featureActionStatusKey().isEmpty());

    // A readback that moves a slider whose view schedules an apply sends nothing.
    QObject::connect(&page, &PowerPageModel::heatMaxTempChanged,
                     [this] { page.scheduleBatteryConfigApply("heat-slider", false); });
    QObject::connect(&page, &PowerPageModel::chargeLimitChanged,
                     [this] { page.applyChargeLimitImmediately("limit-slider"); });
    page.applyPowerReadback(daemonHolds, false);
    page.setToggle(17, true);
    page.applyPowerReadback(QJsonObject{{"max_battery_temp", 42.0}, {"target_charge_limit", 90}}, false);
    dispatch.advance(Duration(1000));
    settle();
    EXPECT_TRUE(sent("set_battery_config").empty());

    // The immediate apply cancels a scheduled one, switches the limit on and sends once.
    page.setHeatMaxTemp(39); // schedules through the connection above
    EXPECT_TRUE(page.hasPendingBatteryApply());
    page.setToggle(17, false);
    page.setChargeLimit(70);
    EXPECT_TRUE(page.isOn(15));
    EXPECT_FALSE(page.hasPendingBatteryApply());
    dispatch.advance(Duration(1000));
    settle();
    ASSERT_EQ(sent("set_battery_config").size(), 1u);
    EXPECT_EQ(sent("set_battery_config")[0].value("limit").toInt(), 70);
    EXPECT_DOUBLE_EQ(sent("set_battery_config")[0].value("max_temp").toDouble(), 39);

    hasBattery = false;
    page.applyChargeLimitImmediately("x");
    page.setToggle(15, true);
    page.scheduleBatteryConfigApply("x", true);
    dispatch.advance(Duration(1000));
    settle();
    EXPECT_EQ(sent("set_battery_config").size(), 1u);
}

TEST_F(PageFixture, ReadbackAndTheDrainTimer)
{
    QJsonObject power = daemonHolds;
    power["safety_drain_enabled"] = true;
    power["safety_drain_auto_wait_seconds"] = 45;
    daemon->reply("get_power_policy_state", power);
    std::vector<QJsonObject> seen;
    QObject::connect(&page, &PowerPageModel::readbackReceived, [&](const QJsonObject& p) { seen.push_back(p); });
    page.setChargeLimit(90);
    page.syncPowerReadback();
    settle();
    EXPECT_DOUBLE_EQ(page.chargeLimit(), 60) << "the start-up readback brings in the daemon's values";
    EXPECT_EQ(page.safetyDrainState(), "waiting");
    EXPECT_EQ(page.safetyDrainCountdown(), 45);
    EXPECT_EQ(seen.size(), 1u);

    // The timer advances the countdown but leaves a slider the user is moving alone.
    page.setChargeLimit(80);
    page.setSafetyDrainPolling(true);
    power["safety_drain_auto_wait_seconds"] = 44;
    daemon->reply("get_power_policy_state", power);
    dispatch.advance(Duration(1000));
    settle();
    EXPECT_EQ(page.safetyDrainCountdown(), 44);
    EXPECT_DOUBLE_EQ(page.chargeLimit(), 80);
    EXPECT_EQ(seen.size(), 2u);
    power["safety_drain_auto_wait_seconds"] = 0;
    power["safety_drain_active"] = true;
    daemon->reply("get_power_policy_state", power);
    dispatch.advance(Duration(1000));
    settle();
    EXPECT_EQ(page.safetyDrainState(), "active");
    EXPECT_FALSE(page.safetyDrainCountdown());

    page.setSafetyDrainPolling(false);
    const size_t reads = sent("get_power_policy_state").size();
    dispatch.advance(Duration(5000));
    settle();
    EXPECT_EQ(sent("get_power_policy_state").size(), reads);

    // No answer: the status stays as it was.
    daemon->reply("get_power_policy_state", std::nullopt);
    page.syncPowerReadback();
    page.pollSafetyDrainState();
    settle();
    EXPECT_EQ(page.safetyDrainState(), "active");
}

TEST_F(PageFixture, IgnoredChargeLimitFollowsTheReadbackAndThePolling)
{
    QJsonObject power = daemonHolds;
    power["charge_limit_enabled"] = true;
    power["target_charge_limit"] = 80;
    int changes = 0;
    QObject::connect(&page, &PowerPageModel::chargeLimitEffectChanged, [&] { ++changes; });

    // The simulator's reply has no "charge_limit_in_effect": the limit holds.
    daemon->reply("get_power_policy_state", power);
    page.syncPowerReadback();
    settle();
    EXPECT_FALSE(page.chargeLimitIgnored());
    EXPECT_EQ(changes, 0);

    // The firmware charges past it: the next poll of the shown page notices.
    power["charge_limit_in_effect"] = false;
    power["charge_limit_warning_message"] = "The battery keeps charging past the 80% limit: the firmware ignores it.";
    daemon->reply("get_power_policy_state", power);
    page.setSafetyDrainPolling(true);
    dispatch.advance(Duration(1000));
    settle();
    EXPECT_TRUE(page.chargeLimitIgnored());
    EXPECT_EQ(page.ignoredChargeLimit(), 80);
    EXPECT_EQ(changes, 1);
    dispatch.advance(Duration(1000));
    settle();
    EXPECT_EQ(changes, 1) << "an unchanged state is not announced again";

    // A mistyped value is not taken as "ignored".
    power["charge_limit_in_effect"] = "false";
    daemon->reply("get_power_policy_state", power);
    dispatch.advance(Duration(1000));
    settle();
    EXPECT_FALSE(page.chargeLimitIgnored());

    // A limit that is switched off cannot be ignored.
    power["charge_limit_in_effect"] = false;
    power["charge_limit_enabled"] = false;
    daemon->reply("get_power_policy_state", power);
    page.syncPowerReadback();
    settle();
    EXPECT_FALSE(page.chargeLimitIgnored());

    // The reply after an apply carries it as well.
    power["charge_limit_enabled"] = true;
    daemon->reply("get_power_policy_state", power);
    daemon->replyOk("set_battery_config");
    page.applyChargeLimitImmediately("slider");
    settle();
    EXPECT_TRUE(page.chargeLimitIgnored());
    page.setSafetyDrainPolling(false);
}

} // namespace
} // namespace vantrel
