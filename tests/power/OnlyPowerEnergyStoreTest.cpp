#include "power/OnlyPowerEnergyStore.h"

#include <QFile>
#include <QJsonDocument>
#include <QTimeZone>

#include <gtest/gtest.h>

#include "base/JsonLines.h"
#include "power/StudyLogReader.h"
#include "support/TempDir.h"

namespace vantrel {
namespace {

OnlyPowerEnergySample at(double epoch)
{
    OnlyPowerEnergySample s;
    s.timestamp = QStringLiteral("t");
    s.epochSeconds = epoch;
    s.phase = QStringLiteral("only_power");
    return s;
}

struct StoreFixture : ::testing::Test {
    test::TempDir dir;
    std::optional<double> health = 97.5;
    // A zone east of UTC, so the local day and the UTC day differ.
    QTimeZone zone{QByteArrayLiteral("Asia/Seoul")};
    OnlyPowerEnergyStore store{dir.paths(), [this] { return health; }, zone};

    OnlyPowerEnergySnapshot integrate(std::vector<OnlyPowerEnergySample> samples, double end = 1000.0)
    {
        return store.integrate(std::move(samples), 0.0, end);
    }
    void writeLog(const QByteArray& content) { dir.write(store.logURL().mid(dir.path().size() + 1), content); }
};

TEST_F(StoreFixture, EnergyAndCoverageFollowThePairRules)
{
    auto a = at(0), b = at(60);
    a.systemPowerWatts = 30.0;
    auto s = integrate({a, b});
    EXPECT_NEAR(s.systemEnergyWh, 0.5, 1e-12);
    EXPECT_NEAR(s.coveredHours, 1.0 / 60.0, 1e-12);
    EXPECT_NEAR(*s.averagePowerWatts, 30.0, 1e-9);

    // 301 s apart, out of order (dt ≤ 0), or equal times: the pair adds nothing.
    EXPECT_EQ(integrate({a, at(301)}).coveredHours, 0.0);
    EXPECT_EQ(integrate({at(100), a}).coveredHours, 0.0);
    EXPECT_EQ(integrate({a, at(0)}).coveredHours, 0.0);
    EXPECT_NEAR(integrate({a, at(300)}).coveredHours, 300.0 / 3600.0, 1e-12);

    // The first sample lacks power: the second one's is used; negative power is no power data.
    a.systemPowerWatts.reset();
    b.systemPowerWatts = 12.0;
    EXPECT_NEAR(integrate({a, b}).systemEnergyWh, 0.2, 1e-12);
    b.systemPowerWatts = -3.0;
    s = integrate({a, b});
    EXPECT_EQ(s.systemEnergyWh, 0.0);
    EXPECT_FALSE(s.averagePowerWatts);
    EXPECT_FALSE(s.peakPowerWatts);
    EXPECT_NEAR(s.coveredHours, 1.0 / 60.0, 1e-12) << "coverage does not need power data";

    // Policy hours need the power-only phase and verification at both ends.
    a.policyVerified = b.policyVerified = true;
    EXPECT_NEAR(integrate({a, b}).policyVerifiedHours, 1.0 / 60.0, 1e-12);
    b.phase = QStringLiteral("baseline");
    EXPECT_EQ(integrate({a, b}).policyVerifiedHours, 0.0);
}

TEST_F(StoreFixture, BatteryCurrentSeparatesAdapterOnlyFromDischarge)
{
    auto pair = [&](qint64 mA, std::optional<bool> charging, std::optional<bool> external) {
        auto a = at(0);
        a.instantAmperageMA = mA;
        a.isCharging = charging;
        a.externalConnected = external;
        return integrate({a, at(300)});
    };
    const double h = 300.0 / 3600.0;
    auto s = pair(-50, false, true);
    EXPECT_NEAR(s.adapterOnlyHours, h, 1e-12);
    EXPECT_EQ(s.batteryUseHours, 0.0);
    EXPECT_EQ(pair(-50, false, false).adapterOnlyHours, 0.0) << "no adapter, no adapter-only time";
    EXPECT_EQ(pair(51, false, true).adapterOnlyHours, 0.0) << "a charging current is not idle";
    s = pair(-51, false, true);
    EXPECT_NEAR(s.batteryUseHours, h, 1e-12);
    EXPECT_EQ(s.adapterOnlyHours, 0.0);
    EXPECT_NEAR(pair(-51, std::nullopt, std::nullopt).batteryUseHours, h, 1e-12);
    EXPECT_EQ(pair(-50, std::nullopt, true).adapterOnlyHours, 0.0) << "unknown charging: only discharge counts";
    EXPECT_EQ(pair(-2000, true, true).batteryUseHours, 0.0) << "charging: nothing";

    // No current at either end: the battery part of the pair is skipped, capacity included.
    auto a = at(0);
    a.rawMaxCapacityMAh = 5000;
    a.isCharging = false;
    auto b = at(60);
    a.systemPowerWatts = 6.0;
    s = integrate({a, b});
    EXPECT_EQ(s.batteryUseHours, 0.0);
    EXPECT_EQ(s.observedEFC, 0.0);
    EXPECT_NEAR(s.systemEnergyWh, 0.1, 1e-12);
}

TEST_F(StoreFixture, ObservedCyclesUseTheTimeWeightedCapacity)
{
    // Five-minute samples over one hour at −1000 mA; 4000 mAh in the first half, 6000 in the second.
    std::vector<OnlyPowerEnergySample> hour;
    for (int i = 0; i <= 12; ++i) {
        auto x = at(i * 300.0);
        if (i < 12) {
            x.instantAmperageMA = -1000;
            x.isCharging = false;
            x.rawMaxCapacityMAh = i < 6 ? 4000 : 6000;
        }
        if (i < 6)
            x.batteryPowerWatts = -12.0;
        if (i == 6)
            x.cycleCount = 311;
        hour.push_back(x);
    }
    auto s = integrate(hour, 3600.0);
    EXPECT_NEAR(s.observedEFC, 0.2, 1e-12);
    EXPECT_NEAR(s.batteryUseHours, 1.0, 1e-12);
    EXPECT_NEAR(s.batteryDischargeWh, 6.0, 1e-12) << "second half: no battery power at either end counts 0";
    EXPECT_EQ(s.cycleCount, 311);
    EXPECT_EQ(s.batteryMaximumCapacityPercent, 97.5);
    EXPECT_NEAR(s.elapsedHours, 1.0, 1e-12);

    // Capacity without discharge: EFC 0, not a division by anything odd.
    for (auto& x : hour)
        x.instantAmperageMA = 0;
    EXPECT_EQ(integrate(hour).observedEFC, 0.0);
}

TEST_F(StoreFixture, CurrentPowerGoesStaleAfter180Seconds)
{
    auto a = at(0), b = at(100);
    a.systemPowerWatts = 40.0;
    b.systemPowerWatts = 25.0;
    EXPECT_EQ(integrate({a, b}, 280.0).currentPowerWatts, 25.0);
    EXPECT_FALSE(integrate({a, b}, 281.0).currentPowerWatts);
    EXPECT_EQ(integrate({a, b}, 281.0).peakPowerWatts, 40.0);

    health.reset();
    auto empty = integrate({}, -50.0);
    EXPECT_FALSE(empty.currentPowerWatts);
    EXPECT_FALSE(empty.cycleCount);
    EXPECT_FALSE(empty.batteryMaximumCapacityPercent);
    EXPECT_EQ(empty.elapsedHours, 0.0) << "an end before the start is no time at all";
}

TEST_F(StoreFixture, LoadKeepsOnlyTodayInTheLocalZoneAndSkipsBadLines)
{
    // 2026-03-10 09:00 in Seoul is 00:00 UTC: the local day began nine hours earlier.
    const QDateTime now(QDate(2026, 3, 10), QTime(9, 0), zone);
    const double dayStart = QDateTime(QDate(2026, 3, 10), QTime(0, 0), zone).toSecsSinceEpoch();
    auto sample = [](double epoch, double watts) {
        auto s = at(epoch);
        s.systemPowerWatts = watts;
        return jsonl::encodeLine(s.toJson());
    };
    QByteArray log;
    log += sample(dayStart + 120, 20.0);
    log += sample(dayStart - 1, 999.0); // yesterday, one second before midnight
    log += sample(dayStart + 60, 10.0); // out of order
    log += "\n   \n"; // empty lines
    log += "{not json}\n";
    log += "[1,2,3]\n";
    log += R"({"timestamp":"t","epoch_seconds":)" + QByteArray::number(dayStart + 90, 'f', 0)
        + R"(,"phase":"only_power","system_power_watts":"30"})"
          "\n"; // wrong type: the line is skipped
    log += R"({"timestamp":"t","epoch_seconds":)" + QByteArray::number(dayStart + 100, 'f', 0)
        + R"(,"phase":"only_power","system_power_watts":null,"cycle_count":null})"
          "\n"; // nulls are fine
    log += R"({"timestamp":"t","phase":"only_power","system_power_watts":5})"
           "\n"; // no time
    log += sample(now.toSecsSinceEpoch() + 10, 500.0); // after now (clock jumped)
    log += sample(dayStart + 180, 40.0); // last line without a line feed
    log.chop(1);
    writeLog(log);

    auto s = store.load(now);
    ASSERT_EQ(s.samples.size(), 4u);
    EXPECT_EQ(s.samples.front().epochSeconds, dayStart + 60);
    EXPECT_EQ(s.samples[1].epochSeconds, dayStart + 100);
    EXPECT_EQ(s.samples.back().epochSeconds, dayStart + 180);
    EXPECT_EQ(s.peakPowerWatts, 40.0) << "yesterday's and tomorrow's samples never count";
    // Pairs 60→100 (10 W), 100→120 (no power at 100: the next sample's 20 W), 120→180 (20 W).
    EXPECT_NEAR(s.systemEnergyWh, (40 * 10.0 + 20 * 20.0 + 60 * 20.0) / 3600.0, 1e-12);
    EXPECT_NEAR(s.elapsedHours, 9.0, 1e-12);

    // A missing log is an empty day, not an error.
    QFile::remove(store.logURL());
    auto none = store.load(now);
    EXPECT_TRUE(none.samples.empty());
    EXPECT_EQ(none.systemEnergyWh, 0.0);
    EXPECT_EQ(none.batteryMaximumCapacityPercent, 97.5);
}

TEST(StudyLogReader, SkippingByTheQuickTimeReadMatchesAFullParse)
{
    test::TempDir dir;
    QByteArray log;
    log += R"({"epoch_seconds": 50, "a": 1})"
           "\n"; // before: skipped
    log += R"({"x": {"epoch_seconds": 50}, "epoch_seconds": 150})"
           "\n"; // key twice: parsed
    log += R"({"\u0065poch_seconds": 150, "y": {"epoch_seconds": 10}})"
           "\n"; // escaped key: parsed
    log += R"({"epoch_seconds" :	160 })"
           "\n"; // spacing
    log += R"({"epoch_seconds": 1.5e2})"
           "\n";
    log += R"({"epoch_seconds": 250})"
           "\n"; // after: skipped
    log += R"({"epoch_seconds": "120"})"
           "\n"; // text: parsed, caller decides
    log += QByteArray(3 << 20, 'x') + "\n"; // an absurdly long line
    log += R"({"epoch_seconds": 170})";
    const QString path = dir.write("samples.jsonl", log);

    QList<QJsonValue> seen;
    StudyLogReader::forEachObject(
        path, [&](const QJsonObject& o) { seen.append(o.value("epoch_seconds")); }, 100, 200);
    ASSERT_EQ(seen.size(), 6);
    EXPECT_EQ(seen[0].toDouble(), 150);
    EXPECT_EQ(seen[1].toDouble(), 150);
    EXPECT_EQ(seen[2].toDouble(), 160);
    EXPECT_EQ(seen[3].toDouble(), 150);
    EXPECT_EQ(seen[4].toString(), "120");
    EXPECT_EQ(seen[5].toDouble(), 170);

    int all = 0;
    StudyLogReader::forEachObject(path, [&](const QJsonObject&) { ++all; });
    EXPECT_EQ(all, 8) << "without a range every object line is visited";
}

TEST(OnlyPowerEnergySample, RoundTripsThroughItsJsonForm)
{
    OnlyPowerEnergySample s = at(1773100800.25);
    s.cycleCount = 12;
    s.rawMaxCapacityMAh = 4870;
    s.instantAmperageMA = -812;
    s.externalConnected = true;
    s.isCharging = false;
    s.batteryPowerWatts = -9.75;
    s.systemPowerWatts = 14.5;
    s.policyVerified = true;
    const QByteArray line = QJsonDocument(s.toJson()).toJson(QJsonDocument::Compact);
    EXPECT_EQ(OnlyPowerEnergySample::fromJson(QJsonDocument::fromJson(line).object()), s);
    EXPECT_TRUE(line.contains("\"raw_max_capacity_mAh\":4870"));

    QJsonObject fractional = s.toJson();
    fractional.insert("cycle_count", 12.5);
    EXPECT_FALSE(OnlyPowerEnergySample::fromJson(fractional)) << "a count must be a whole number";
}

} // namespace
} // namespace vantrel
