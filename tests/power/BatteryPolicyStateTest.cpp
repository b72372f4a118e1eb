#include "power/BatteryPolicyState.h"

#include <limits>

#include <gtest/gtest.h>

#include "base/Preferences.h"

namespace vantrel {
namespace {

TEST(BatteryPolicyState, RestoresStoredValuesAndMigratesTheOlderKeys)
{
    MemoryPreferences prefs;
    prefs.setValue("chargeLimit", 70);
    prefs.setValue("sailingModeEnabled", false);
    prefs.setValue("sailingDropPercent", 12);
    prefs.setValue("forceDischargeEnabled", true);
    prefs.setValue("safetyDrainTargetPercent", 40);
    prefs.setValue("maxBatteryTemp", "38.5"); // the settings file hands numbers back as text
    prefs.setValue("heatProtectionEnabled", false);

    BatteryPolicyState state(prefs);
    EXPECT_TRUE(state.batteryLimitEnabled());
    EXPECT_EQ(state.chargeLimit(), 70);
    EXPECT_FALSE(state.chargeProtectorEnabled());
    EXPECT_EQ(state.chargeProtectorDropPercent(), 5);
    EXPECT_TRUE(state.safetyDrainEnabled());
    EXPECT_EQ(state.safetyDrainTargetPercent(), 40);
    EXPECT_FALSE(state.heatProtectionEnabled());
    EXPECT_DOUBLE_EQ(state.maxBatteryTemp(), 38.5);
    EXPECT_FALSE(state.lastBatteryConfigSignature().has_value());
    // The migrated values now live under the current keys.
    EXPECT_EQ(prefs.optionalBool("chargeProtectorEnabled"), false);
    EXPECT_EQ(prefs.optionalBool("safetyDrainEnabled"), true);

    // A current key wins over its older name.
    MemoryPreferences both;
    both.setValue("chargeProtectorEnabled", true);
    both.setValue("sailingModeEnabled", false);
    EXPECT_TRUE(BatteryPolicyState(both).chargeProtectorEnabled());

    // Nothing stored: the initial policy, and nothing written.
    MemoryPreferences empty;
    BatteryPolicyState fresh(empty);
    EXPECT_EQ(fresh.configuration(), BatteryConfiguration{});
    EXPECT_TRUE(empty.keys().isEmpty());
}

TEST(BatteryPolicyState, SettersPersistAtOnceAndTheDropStaysFive)
{
    MemoryPreferences prefs;
    BatteryPolicyState state(prefs);
    int limitSignals = 0, dropSignals = 0;
    QObject::connect(&state, &BatteryPolicyState::chargeLimitChanged, [&] { ++limitSignals; });
    QObject::connect(&state, &BatteryPolicyState::chargeProtectorDropPercentChanged, [&] { ++dropSignals; });

    state.setChargeLimit(90);
    state.setChargeLimit(90);
    EXPECT_EQ(limitSignals, 1);
    EXPECT_EQ(prefs.optionalInt("chargeLimit"), 90);

    state.setChargeProtectorDropPercent(10);
    EXPECT_EQ(state.chargeProtectorDropPercent(), 5);
    EXPECT_EQ(state.configuration().request().value("drop").toInt(), 5);
    EXPECT_EQ(dropSignals, 1) << "a rejected drop is announced so its control snaps back";

    state.setSafetyDrainTargetPercent(40);
    EXPECT_EQ(prefs.optionalInt("safetyDrainTargetPercent"), 40);
    state.setSafetyDrainTargetPercent(std::nullopt);
    EXPECT_FALSE(prefs.exists("safetyDrainTargetPercent"));

    state.setMaxBatteryTemp(std::numeric_limits<double>::quiet_NaN());
    EXPECT_DOUBLE_EQ(state.maxBatteryTemp(), 35.0);

    // Round trip: a second state over the same preferences sees the same policy.
    state.setBatteryLimitEnabled(false);
    state.setHeatProtectionEnabled(false);
    state.setMaxBatteryTemp(41.25);
    state.setSafetyDrainEnabled(true);
    state.setSafetyDrainTargetPercent(60);
    EXPECT_EQ(BatteryPolicyState(prefs).configuration(), state.configuration());
}

TEST(BatteryConfiguration, SignatureRequestAndLogLine)
{
    BatteryConfiguration c;
    EXPECT_EQ(c.signature(), "true|80|true|5|true|35|false|auto");
    c.maxBatteryTemp = 35.4;
    EXPECT_EQ(c.signature(), "true|80|true|5|true|35|false|auto");
    c.maxBatteryTemp = 35.5;
    EXPECT_EQ(c.signature(), "true|80|true|5|true|36|false|auto");

    c.maxBatteryTemp = 35.4;
    QJsonObject r = c.request();
    EXPECT_EQ(r.value("cmd").toString(), "set_battery_config");
    EXPECT_DOUBLE_EQ(r.value("max_temp").toDouble(), 35.4);
    EXPECT_EQ(r.value("safety_drain_target_mode").toString(), "charge_limit");
    EXPECT_FALSE(r.contains("safety_drain_target_percent"));
    EXPECT_EQ(r.keys().size(), 9);

    c.safetyDrainEnabled = true;
    c.safetyDrainTargetPercent = 40;
    r = c.request();
    EXPECT_EQ(r.value("safety_drain_target_mode").toString(), "fixed");
    EXPECT_EQ(r.value("safety_drain_target_percent").toInt(), 40);
    EXPECT_TRUE(r.value("safety_drain").toBool());
    EXPECT_EQ(c.signature(), "true|80|true|5|true|35|true|40");

    c.maxBatteryTemp = 35.0;
    EXPECT_EQ(c.syncLogLine("a 100% reason", false),
              "Vantrel battery sync (a 100% reason): enabled=true limit=80 chargeProtector=true drop=5 heat=true "
              "maxTemp=35.0 safetyDrain=true safetyDrainTarget=40 ok=false");
}

} // namespace
} // namespace vantrel
