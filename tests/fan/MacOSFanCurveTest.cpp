#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include "base/AtomicFile.h"
#include "base/JsonLines.h"
#include "base/Preferences.h"
#include "base/VirtualDispatch.h"
#include "fan/FanControlState.h"
#include "fan/MacOSFanCurveLog.h"
#include "fan/MacOSFanCurveSummary.h"
#include "fan/MacOSFanObserver.h"
#include "support/TempDir.h"

using namespace vantrel;
using namespace vantrel::test;
using namespace std::chrono_literals;

namespace {

struct ObservationFixture : ::testing::Test {
    TempDir dir;
    Paths paths = dir.paths();
    VirtualDispatch dispatch;
    MemoryPreferences prefs;
    FanControlState state{prefs};
    MacOSFanCurveLog log{paths, dispatch};
    int hardwareMax = 5000;
    int maxReads = 0;
    MacOSFanObserver observer{state, log, [this](int) {
                                  ++maxReads;
                                  return hardwareMax;
                              }};

    QDateTime now() { return dispatch.clock().now(); }
    HistoryDataPoint tick(double cpu, int fan0, int fan1 = 0)
    {
        HistoryDataPoint point;
        point.timestamp = now();
        point.cpuTemp = cpu;
        point.gpuTemp = 40;
        point.batteryTemp = 30;
        point.fan0Rpm = fan0;
        point.fan1Rpm = fan1;
        return point;
    }
    // The log writes behind each kept sample on its own queue.
    QByteArray file()
    {
        dispatch.runUntilIdle();
        return readFile(log.fileURL()).value_or(QByteArray());
    }
    ObservedMacOSFanPoint sample(const QDateTime& at, double temperature, int rpm) const
    {
        return {at, temperature, rpm / 60.0, rpm, 6000, QStringLiteral("CPU")};
    }
};

ObservedMacOSFanPoint at(double temperature, int rpm, int minute = 0)
{
    const QDateTime base(QDate(2026, 1, 1), QTime(0, 0), Qt::UTC);
    return {base.addSecs(minute * 60), temperature, 0, rpm, 6000, std::nullopt};
}

} // namespace

TEST(MacOSFanObservation, ReferenceTemperatureIsTheHottestPlausibleSensor)
{
    const auto ref = [](double cpu, double gpu, double battery) {
        HistoryDataPoint point;
        point.cpuTemp = cpu;
        point.gpuTemp = gpu;
        point.batteryTemp = battery;
        const auto r = MacOSFanObserver::macOSFanReferenceTemperature(point);
        return std::make_pair(r.temperature, r.sensor);
    };
    EXPECT_EQ(ref(0, 130, 35), std::make_pair(35.0, QString("Battery")));
    EXPECT_EQ(ref(60, 72, 35), std::make_pair(72.0, QString("GPU")));
    EXPECT_EQ(ref(60, 60, 60), std::make_pair(60.0, QString("CPU"))); // a tie goes to the earlier
    EXPECT_EQ(ref(-3, 120, 0), std::make_pair(-3.0, QString("Unknown")));
}

TEST_F(ObservationFixture, RecordsOnlyInAutoModeAndKeepsOnlySamplesThatAddSomething)
{
    state.setFanMode(FanMode::Manual);
    observer.recordMacOSFanCurveSample(tick(60, 2000));
    EXPECT_TRUE(file().isEmpty());
    EXPECT_FALSE(QFile::exists(log.fileURL()));
    state.setFanMode(FanMode::Auto);
    HistoryDataPoint cold = tick(-3, 2000);
    cold.gpuTemp = 130;
    cold.batteryTemp = 0;
    observer.recordMacOSFanCurveSample(cold); // reference not above 0
    observer.recordMacOSFanCurveSample(tick(60, 0, 0)); // fans stopped
    EXPECT_TRUE(file().isEmpty());
    EXPECT_EQ(maxReads, 0);

    observer.recordMacOSFanCurveSample(tick(60, 1800, 2000));
    EXPECT_EQ(state.detectedFanMaxRPM(), 5000);
    ASSERT_EQ(state.macOSFanCurveSamples().size(), 1u);
    const auto& first = state.macOSFanCurveSamples()[0];
    EXPECT_EQ(first.rpm, 2000);
    EXPECT_DOUBLE_EQ(first.fanPercent, 40);
    EXPECT_EQ(first.fanMaxRPM, 5000);
    EXPECT_EQ(first.dominantSensor, QString("CPU"));
    EXPECT_EQ(state.macOSFanCurveSummary().sampleCount, 1);

    const QByteArray afterFirst = file();
    dispatch.advance(2s);
    observer.recordMacOSFanCurveSample(tick(60.4, 2049));
    EXPECT_EQ(file(), afterFirst); // too close in time, temperature and speed
    EXPECT_EQ(state.macOSFanCurveSamples().size(), 1u);
    dispatch.advance(1s);
    observer.recordMacOSFanCurveSample(tick(60.5, 2000));
    dispatch.advance(1s);
    observer.recordMacOSFanCurveSample(tick(60.5, 2050));
    EXPECT_EQ(state.macOSFanCurveSamples().size(), 3u);
    dispatch.advance(10s);
    observer.recordMacOSFanCurveSample(tick(60.5, 2050));
    EXPECT_EQ(state.macOSFanCurveSamples().size(), 4u);
    EXPECT_EQ(maxReads, 2); // read once, since 5000 is no longer the default

    // Another maximum is worth keeping even at once; 6000 (the default) is re-read from the hardware.
    state.setDetectedFanMaxRPM(6000);
    hardwareMax = 0;
    observer.recordMacOSFanCurveSample(tick(60.5, 2050));
    EXPECT_EQ(state.detectedFanMaxRPM(), 6000);
    EXPECT_EQ(state.macOSFanCurveSamples().size(), 5u);
    EXPECT_EQ(jsonl::parse(file()).size(), 5u);
}

TEST_F(ObservationFixture, LogSkipsBadLinesHonoursRetentionAndRewritesExactly)
{
    const QDateTime start = now();
    QByteArray content;
    content += jsonl::encodeLine(sample(start.addSecs(-80 * 3600), 50, 2000).toJson()); // outside the window
    content += "not json\n\n{\"timestamp\":\"2026-01-15T11:00:00Z\",\"temperature\":55}\n";
    ObservedMacOSFanPoint noSensor = sample(start.addSecs(-600), 52, 2100);
    noSensor.dominantSensor.reset();
    content += jsonl::encodeLine(sample(start.addSecs(-60), 51, 2050).toJson()); // out of order on purpose
    content += jsonl::encodeLine(noSensor.toJson());
    dir.write(log.fileURL().mid(dir.path().size() + 1), content);

    auto loaded = log.loadRecent(72);
    ASSERT_EQ(loaded.size(), 2u);
    EXPECT_EQ(loaded[0], noSensor);
    EXPECT_EQ(loaded[1].rpm, 2050);

    // A kept sample rewrites the file: only the window, sorted, one line each, ending with a line feed.
    std::vector<ObservedMacOSFanPoint> expected = loaded;
    for (int i = 0; i < 40; ++i) {
        expected = log.appendAndLoadRecent(sample(now(), 50 + i % 3, 2000 + 10 * i));
        dispatch.advance(10s);
    }
    QByteArray canonical;
    for (const auto& s : expected)
        canonical += jsonl::encodeLine(s.toJson());
    EXPECT_EQ(file(), canonical);
    EXPECT_FALSE(file().contains("dominantSensor\":null"));
    EXPECT_EQ(jsonl::parse(file()).at(0).contains("dominantSensor"), false);

    // 72 hours after the first kept sample, the older samples fall out of the file.
    dispatch.advance(std::chrono::hours(72) - 390s);
    const auto later = log.appendAndLoadRecent(sample(now(), 70, 3000));
    // Exactly 72 hours old is still inside; the two file samples and the first kept one are gone.
    ASSERT_EQ(later.size(), 40u);
    EXPECT_EQ(later.front().timestamp, start.addSecs(10));
    QByteArray afterDrop;
    for (const auto& s : later)
        afterDrop += jsonl::encodeLine(s.toJson());
    EXPECT_EQ(file(), afterDrop);

    // A second log over the same file (no shared memory) sees the same samples; so does this one
    // after the file is replaced behind its back.
    MacOSFanCurveLog other(paths, dispatch);
    EXPECT_EQ(other.loadRecent(72), log.loadRecent(72));
    dispatch.runUntilIdle();
    jsonl::writeAll(log.fileURL(), {sample(now(), 44, 1500).toJson()});
    ASSERT_EQ(log.loadRecent(72).size(), 1u);
    EXPECT_EQ(log.loadRecent(72)[0].rpm, 1500);

    // A file that cannot be written or read: samples are still returned, nothing breaks.
    QFile::remove(log.fileURL());
    QDir().mkpath(log.fileURL());
    EXPECT_EQ(log.appendAndLoadRecent(sample(now(), 45, 1600)).size(), 1u);
    dispatch.runUntilIdle();
    EXPECT_EQ(log.appendAndLoadRecent(sample(now().addSecs(10), 45, 1600)).size(), 1u);
    dispatch.runUntilIdle();
    QDir().rmdir(log.fileURL());
    EXPECT_EQ(log.appendAndLoadRecent(sample(now().addSecs(20), 45, 1600)).size(), 1u);
    EXPECT_EQ(jsonl::parse(file()).size(), 1u);
}

TEST(MacOSFanCurveSummary, TextsBandsAndBehaviour)
{
    const MacOSFanCurveSummary none;
    EXPECT_EQ(none.sampleCount, 0);
    EXPECT_EQ(none.temperatureRangeText, "수집 전");
    EXPECT_EQ(none.rpmRangeText, "수집 전");
    EXPECT_EQ(none.behaviorText, "순정 모드에서 관측 시작 필요");
    EXPECT_EQ(none.bandText, "구간 분석 대기");
    EXPECT_EQ(MacOSFanCurveSummary(std::vector<ObservedMacOSFanPoint>{}), none);

    std::vector<ObservedMacOSFanPoint> flat;
    for (int i = 0; i < 8; ++i)
        flat.push_back(at(40.9 + i * 0.7, 2000 + (i * 50) / 7, i));
    MacOSFanCurveSummary holding(flat);
    EXPECT_EQ(holding.sampleCount, 8);
    EXPECT_EQ(holding.temperatureRangeText, "40-45°C");
    EXPECT_EQ(holding.rpmRangeText, "2000-2050 RPM");
    EXPECT_EQ(holding.behaviorText, "완만한 유지형");
    flat.pop_back();
    EXPECT_EQ(MacOSFanCurveSummary(flat).behaviorText, "샘플 부족");

    std::vector<ObservedMacOSFanPoint> ramp, steep;
    for (int i = 0; i < 8; ++i) {
        ramp.push_back(at(40 + i * 4, 2000 + i * 250, i));
        steep.push_back(at(40 + i * 0.5, 2000 + i * 300, i));
    }
    EXPECT_EQ(MacOSFanCurveSummary(ramp).behaviorText, "단계적 램프형");
    EXPECT_EQ(MacOSFanCurveSummary(steep).behaviorText, "급격한 램프형");

    MacOSFanCurveSummary bands({at(49.9, 2000), at(49.0, 2001), at(50.0, 2500), at(100, 4000), at(79.99, 3300)});
    EXPECT_EQ(bands.bandText, "<50: 2000rpm · 50s: 2500rpm · 70s: 3300rpm · 80+: 4000rpm");

    EXPECT_EQ(percentile({3000, 1000, 2000}, 0.9), 3000);
    EXPECT_EQ(percentile({3000, 1000, 2000}, 0.1), 1000);
    EXPECT_EQ(percentile({1000, 2000}, 0.5), 2000); // index 0.5 rounds away from zero
    EXPECT_EQ(percentile({}, 0.5), std::nullopt);
}
