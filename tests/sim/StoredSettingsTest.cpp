// The user-settings sections both daemons store and restore: a round trip keeps every value,
// a section that says less keeps the running values, and out-of-range numbers from a damaged
// or hand-edited file come back clamped to what the commands accept.
#include <QJsonArray>

#include <gtest/gtest.h>

#include "daemonserver/FanConfig.h"
#include "daemonserver/StoredSettings.h"

using namespace vantrel::daemonserver;

TEST(StoredSettings, RoundTripKeepsValuesAndMissingKeysKeepTheBase)
{
    const FanConfig fan{true, false, {{40, 20}, {80, 90}}, {{50, 30}}, QStringLiteral("quiet"), true};
    const FanConfig fanBack = fanConfigFromStored(storedFanSettings(fan, true), FanConfig{});
    EXPECT_TRUE(fanBack.manual);
    EXPECT_FALSE(fanBack.unified);
    EXPECT_EQ(fanBack.left, fan.left);
    EXPECT_EQ(fanBack.right, fan.right);
    EXPECT_EQ(fanBack.presetName, "quiet");
    EXPECT_TRUE(fanBack.smartAppPreset);
    EXPECT_EQ(fanConfigFromStored({{"unified", false}}, fan).left, fan.left) << "no curve stored: the base curve stays";

    const BatteryConfig battery{true, 70, true, 10, true, 40.5, true, 55};
    EXPECT_EQ(batteryConfigFromStored(storedBatterySettings(battery), BatteryConfig{}), battery);
    const BatteryConfig partial = batteryConfigFromStored({{"target_limit", 90}}, battery);
    EXPECT_EQ(partial.limit, 90);
    EXPECT_TRUE(partial.chargeProtector);
    EXPECT_EQ(partial.drainFixedTarget, std::nullopt) << "no fixed mode stored: drain to the limit";

    const auto sleep = sleepSettingsFromStored(storedSleepSettings(true, 30), false);
    EXPECT_TRUE(sleep.systemSleepDisabled);
    EXPECT_EQ(sleep.cutoffPercent, 30);
    EXPECT_TRUE(sleepSettingsFromStored({}, true).systemSleepDisabled) << "nothing stored: the running request stays";
}

TEST(StoredSettings, OutOfRangeValuesAreClampedOrIgnored)
{
    const QJsonObject battery{{"target_limit", 5},
                              {"charge_protector_drop_percent", 90},
                              {"safety_drain_target_mode", "fixed"},
                              {"safety_drain_target_percent", 2}};
    const BatteryConfig b = batteryConfigFromStored(battery, BatteryConfig{});
    EXPECT_EQ(b.limit, 20);
    EXPECT_EQ(b.drop, 50);
    EXPECT_EQ(b.drainFixedTarget, 10);

    const QJsonObject curve{{"name", "x"},
                            {"points", QJsonArray{QJsonObject{{"temperature", 50}, {"fan_percent", 140}}}}};
    const FanConfig f = fanConfigFromStored({{"mode", " Manual "}, {"left_curve", curve}}, FanConfig{});
    EXPECT_TRUE(f.manual);
    ASSERT_EQ(f.left.size(), 1u);
    EXPECT_EQ(f.left.front().fanPercent, 100);

    EXPECT_EQ(sleepSettingsFromStored({{"battery_cutoff_percent", 99}}, false).cutoffPercent, std::nullopt)
        << "a cut-off the command would refuse is not restored";
}

TEST(FanCurve, EqualTemperaturesKeepTheirOrderAndResultsStayInRange)
{
    const FanCurve curve{{60, 40}, {40, 10}, {60, 70}};
    EXPECT_DOUBLE_EQ(interpolateCurve(curve, 50), 25);
    EXPECT_DOUBLE_EQ(interpolateCurve(curve, 60), 40) << "the first of two points at one temperature";
    EXPECT_DOUBLE_EQ(interpolateCurve(curve, 90), 70);
    EXPECT_DOUBLE_EQ(interpolateCurve({{0, -5}, {100, 130}}, 100), 100);
    EXPECT_DOUBLE_EQ(interpolateCurve({}, 50), 0);
}
