#include <gtest/gtest.h>

#include "base/JsonLines.h"
#include "base/VirtualDispatch.h"
#include "l10n/L10n.h"
#include "power/BatteryTelemetryLog.h"
#include "support/TempDir.h"
#include "ui/power/OnlyPowerEnergyFigures.h"
#include "ui/power/PowerSummaryText.h"
#include "ui/power/PowerTelemetryFeed.h"
#include "ui/power/SafetyDrainTargetOptions.h"

namespace vantrel {
namespace {

TEST(PowerTelemetryFeed, ReadsOnStartEveryTenSecondsAndKeepsTheHistory)
{
    test::TempDir dir;
    VirtualDispatch dispatch;
    auto log = std::make_shared<BatteryTelemetryLog>(dir.paths(), dispatch);
    int reads = 0;
    PowerSourceInfo info;
    info.batteryPercent = 81;
    info.isCharging = true;
    info.temperature = 31.5;
    info.powerSourceState = QStringLiteral("AC Power");
    PowerTelemetryFeed feed(dispatch, log, [&] {
        ++reads;
        return info;
    });
    int changes = 0;
    QObject::connect(&feed, &PowerTelemetryFeed::changed, [&] { ++changes; });

    feed.start();
    dispatch.runUntilIdle();
    EXPECT_EQ(reads, 1);
    ASSERT_EQ(feed.records().size(), 1u);
    EXPECT_EQ(feed.records()[0].percent, 81);
    EXPECT_EQ(feed.battery()->batteryPercent, 81);

    // A minute later with a new percent: a second record; six refreshes in between.
    info.batteryPercent = 82;
    info.temperature = 32.5;
    dispatch.advanceSeconds(60);
    EXPECT_EQ(reads, 7);
    EXPECT_EQ(changes, 7);
    ASSERT_EQ(feed.records().size(), 2u);
    EXPECT_EQ(feed.records().back().percent, 82);

    feed.stop();
    dispatch.advanceSeconds(60);
    EXPECT_EQ(reads, 7);

    // A machine without a battery adds nothing but still shows the history.
    info = PowerSourceInfo{};
    feed.refresh();
    dispatch.runUntilIdle();
    EXPECT_EQ(feed.records().size(), 2u);
    EXPECT_EQ(jsonl::read(log->logURL()).size(), 2u);
}

TEST(PowerTelemetryFeed, TemperatureSeriesIsTheKnownReadingsOfTheLastHourInOrder)
{
    const QDateTime now(QDate(2026, 3, 1), QTime(12, 0), Qt::UTC);
    std::vector<BatteryTelemetryRecord> records{
        {now.addSecs(-30), 50, 33.0, false},           {now.addSecs(-3700), 50, 29.0, false}, // older than an hour
        {now.addSecs(-1800), 50, std::nullopt, false}, // unknown
        {now.addSecs(-600), 50, 31.0, true},           {now.addSecs(20), 50, 40.0, false}, // after now
    };
    EXPECT_EQ(PowerTelemetryFeed::temperatureSeries(records, now), (std::vector<double>{31.0, 33.0}));
    EXPECT_TRUE(PowerTelemetryFeed::temperatureSeries({}, now).empty());
}

TEST(PowerScreenText, DrainTargetOptionsAndSummaryTexts)
{
    const auto options = safetyDrainTargetOptions(70, QStringLiteral("en"));
    ASSERT_EQ(options.size(), 5u);
    QStringList ids;
    for (const auto& o : options)
        ids << o.id;
    EXPECT_EQ(ids, (QStringList{"auto", "fixed-80", "fixed-70", "fixed-60", "fixed-50"}));
    EXPECT_FALSE(options[0].target);
    EXPECT_EQ(options[3].target, 60);
    EXPECT_EQ(options[0].caption, QStringLiteral("Follows the charge limit (70%)"));
    EXPECT_EQ(options[4].caption, QStringLiteral("Drains down to 50%"));
    EXPECT_EQ(safetyDrainTargetOptions(80, QStringLiteral("ko"))[0].caption.contains(QStringLiteral("80%")), true);

    EXPECT_EQ(safetyDrainStateText("waiting", 45, "en"), QStringLiteral("Starts in 45 s"));
    EXPECT_EQ(safetyDrainStateText("idle", std::nullopt, "en"), L10n::tr("power.safety_drain.state.idle", "en"));
    EXPECT_EQ(safetyDrainStateText("something", std::nullopt, "en"), L10n::tr("power.safety_drain.state.off", "en"));
    EXPECT_EQ(safetyDrainTargetText("Auto", "ko"), L10n::tr("power.safety_drain.auto", "ko"));
    EXPECT_EQ(safetyDrainTargetText("60%", "ko"), QStringLiteral("60%"));
    EXPECT_EQ(batteryGateText("", "en"), QStringLiteral("-"));
    EXPECT_EQ(batteryGateText("no_battery", "en"), L10n::tr("no_battery", "en"));
    EXPECT_EQ(powerStateText("", "en"), QStringLiteral("-"));
}

TEST(PowerScreenText, EnergyFiguresCarryTheirUnits)
{
    OnlyPowerEnergySnapshot s;
    EXPECT_TRUE(onlyPowerEnergyCollecting(s));
    auto figures = onlyPowerEnergyFigures(s);
    ASSERT_EQ(figures.size(), 12u);
    EXPECT_EQ(figures[5].value, QStringLiteral("-")) << "no cycle count yet";
    EXPECT_EQ(figures[9].value, QStringLiteral("-")) << "no fresh power reading";

    s.samples.push_back(OnlyPowerEnergySample{});
    s.systemEnergyWh = 123.456;
    s.adapterOnlyHours = 5.26;
    s.batteryUseHours = 0.5;
    s.batteryDischargeWh = 7.04;
    s.observedEFC = 0.0712;
    s.cycleCount = 212;
    s.batteryMaximumCapacityPercent = 91.6;
    s.coveredHours = 3;
    s.policyVerifiedHours = 1.5;
    s.elapsedHours = 6;
    s.currentPowerWatts = 14.26;
    s.averagePowerWatts = 11.0;
    s.peakPowerWatts = 38.9;
    EXPECT_FALSE(onlyPowerEnergyCollecting(s));
    figures = onlyPowerEnergyFigures(s);
    QStringList keys, values;
    for (const auto& f : figures) {
        keys << f.labelKey;
        values << f.value;
    }
    EXPECT_EQ(keys,
              (QStringList{"power.energy.today", "power.energy.adapter_time", "power.energy.battery_time",
                           "power.energy.battery_energy", "power.energy.efc", "power.energy.cycle",
                           "power.energy.battery_efficiency", "power.energy.coverage", "power.energy.policy_coverage",
                           "power.energy.current", "power.energy.average", "power.energy.peak"}));
    EXPECT_EQ(values,
              (QStringList{"123.5 Wh", "5.3 h", "0.5 h", "7.0 Wh", "0.071 EFC", "212", "92%", "3.0 h (50%)",
                           "1.5 h (25%)", "14.3 W", "11.0 W", "38.9 W"}));
}

} // namespace
} // namespace vantrel
