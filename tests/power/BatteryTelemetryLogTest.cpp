#include "power/BatteryTelemetryLog.h"

#include <limits>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include "base/JsonLines.h"
#include "base/VirtualDispatch.h"
#include "power/BatteryHourlyBarsGeometry.h"
#include "power/BatteryTemperatureSample.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"
#include "support/TinyFileSystem.h"

namespace vantrel {
namespace {

struct TelemetryFixture : ::testing::Test {
    test::TempDir dir;
    VirtualDispatch dispatch;
    BatteryTelemetryLog log{dir.paths(), dispatch};

    QDateTime now() { return dispatch.clock().now(); }
    std::vector<QJsonObject> fileLines() { return jsonl::read(log.logURL()); }
    void studyLine(const QByteArray& line)
    {
        QDir().mkpath(QFileInfo(log.onlyPowerStudyLogURL()).absolutePath());
        QFile f(log.onlyPowerStudyLogURL());
        ASSERT_TRUE(f.open(QIODevice::Append));
        f.write(line + "\n");
    }
};

TEST_F(TelemetryFixture, KeepsAReadingAMinuteUnlessSomethingChanged)
{
    log.appendAndLoadRecent(80, 30.0, false);
    dispatch.advanceSeconds(30);
    log.appendAndLoadRecent(80, 30.3, false);
    EXPECT_EQ(fileLines().size(), 1u) << "30 s later, 0.3 °C apart: not new";
    log.appendAndLoadRecent(80, 30.4, false);
    EXPECT_EQ(fileLines().size(), 2u) << "0.4 °C is a change";
    dispatch.advanceSeconds(60);
    auto recent = log.appendAndLoadRecent(80, 30.4, false);
    EXPECT_EQ(fileLines().size(), 3u) << "a minute later the same values are stored";
    ASSERT_EQ(recent.size(), 3u);

    log.appendAndLoadRecent(79, 30.4, false);
    log.appendAndLoadRecent(79, 30.4, true);
    log.appendAndLoadRecent(79, std::nullopt, true);
    EXPECT_EQ(fileLines().size(), 6u) << "percent, charging and the presence of a temperature each count";
    log.appendAndLoadRecent(104, std::nullopt, true);
    EXPECT_EQ(fileLines().back().value("percent").toInt(), 100);
    EXPECT_FALSE(fileLines().back().contains("temperature")) << "an unknown temperature is left out";
    log.appendAndLoadRecent(-3, std::numeric_limits<double>::infinity(), true);
    EXPECT_EQ(fileLines().back().value("percent").toInt(), 0);
}

TEST_F(TelemetryFixture, ShouldAppendRule)
{
    const QDateTime t0 = now();
    BatteryTelemetryRecord last{t0, 50, std::nullopt, false};
    BatteryTelemetryRecord next{t0.addMSecs(54999), 50, std::nullopt, false};
    EXPECT_TRUE(BatteryTelemetryLog::shouldAppend(next, std::nullopt));
    EXPECT_FALSE(BatteryTelemetryLog::shouldAppend(next, last));
    next.timestamp = t0.addSecs(55);
    EXPECT_TRUE(BatteryTelemetryLog::shouldAppend(next, last));
    next.timestamp = t0.addSecs(-600);
    EXPECT_TRUE(BatteryTelemetryLog::shouldAppend(next, last)) << "after the clock went back, keep recording";
}

TEST_F(TelemetryFixture, DropsRecordsOlderThanThirteenHoursOnTheNextAppend)
{
    const QDateTime t = now();
    jsonl::writeAll(log.logURL(),
                    {BatteryTelemetryRecord{t.addSecs(-(13 * 3600 + 60)), 40, 29.0, false}.toJson(),
                     BatteryTelemetryRecord{t.addSecs(-(12 * 3600 + 60)), 45, 29.5, false}.toJson(),
                     BatteryTelemetryRecord{t.addSecs(-3600), 60, 30.0, true}.toJson()});
    QFile f(log.logURL());
    ASSERT_TRUE(f.open(QIODevice::Append));
    f.write("garbage\n{\"timestamp\":\"not a date\",\"percent\":1,\"isCharging\":true}\n");
    f.close();

    EXPECT_EQ(log.loadRecent(13.0).size(), 2u) << "reading drops old and broken lines but writes nothing";
    EXPECT_EQ(fileLines().size(), 4u);

    auto recent = log.appendAndLoadRecent(61, 30.0, true);
    const auto lines = fileLines();
    ASSERT_EQ(lines.size(), 3u) << "13 h 1 min old is gone, the broken lines are not rewritten";
    EXPECT_EQ(lines.front().value("percent").toInt(), 45);
    ASSERT_EQ(recent.size(), 2u) << "the result covers twelve hours";
    EXPECT_EQ(recent.front().percent, 60);
    EXPECT_EQ(recent.back().percent, 61);
}

TEST_F(TelemetryFixture, MergesTheStudyLogAndTheOwnRecordWinsItsSecond)
{
    const QDateTime t = now();
    const qint64 s = t.toSecsSinceEpoch();
    studyLine(R"({"epoch_seconds":)" + QByteArray::number(s - 7200)
              + R"(,"state_of_charge_percent":70,"is_charging":true})");
    studyLine(R"({"epoch_seconds":)" + QByteArray::number(s - 60) + R"(.4,"state_of_charge_percent":75})");
    studyLine(R"({"epoch_seconds":)" + QByteArray::number(s - 30) + R"(,"system_power_watts":9})"); // no charge
    studyLine(R"({"epoch_seconds":)" + QByteArray::number(s - 20)
              + R"(,"state_of_charge_percent":"80"})"); // wrong type
    studyLine(R"({"epoch_seconds":)" + QByteArray::number(s - 50000) + R"(,"state_of_charge_percent":20})"); // too old
    studyLine(R"({"epoch_seconds":1e300,"state_of_charge_percent":20})");
    dispatch.clock().setWallTime(t.addMSecs(-59700)); // own reading 0.3 s into the second of the 75 % sample
    log.appendAndLoadRecent(76, 31.5, false);
    dispatch.clock().setWallTime(t);

    const auto merged = log.loadRecent(12.0);
    ASSERT_EQ(merged.size(), 2u);
    EXPECT_EQ(merged[0].percent, 70);
    EXPECT_TRUE(merged[0].isCharging);
    EXPECT_FALSE(merged[0].temperature);
    EXPECT_EQ(merged[1].percent, 76) << "own record replaces the study sample of the same second";
    EXPECT_EQ(merged[1].temperature, 31.5);
    EXPECT_EQ(log.loadRecent(1.0).size(), 1u);
    EXPECT_TRUE(log.loadRecent(std::numeric_limits<double>::quiet_NaN()).empty());
    EXPECT_TRUE(log.loadRecent(-5).empty());
    EXPECT_EQ(log.loadRecent(1e300).size(), 3u) << "a huge window reaches the old study sample too";
}

TEST_F(TelemetryFixture, ReadsOnlyWhatTheStudyLoggerAppendedYetFollowsRewrites)
{
    const qint64 s = now().toSecsSinceEpoch();
    auto charge = [&](qint64 ago, int percent) {
        return R"({"epoch_seconds":)" + QByteArray::number(s - ago) + R"(,"state_of_charge_percent":)"
            + QByteArray::number(percent) + "}";
    };
    auto percents = [&](double hours) {
        QList<int> out;
        for (const auto& r : log.loadRecent(hours))
            out.append(r.percent);
        return out;
    };
    studyLine(charge(600, 50));
    EXPECT_EQ(percents(12), QList<int>{50});

    // Appended lines arrive, including one whose end was still being written.
    studyLine(charge(500, 51));
    {
        QFile f(log.onlyPowerStudyLogURL());
        ASSERT_TRUE(f.open(QIODevice::Append));
        f.write(charge(400, 52).left(20));
    }
    EXPECT_EQ(percents(12), (QList<int>{50, 51}));
    {
        QFile f(log.onlyPowerStudyLogURL());
        ASSERT_TRUE(f.open(QIODevice::Append));
        f.write(charge(400, 52).mid(20) + "\n");
    }
    EXPECT_EQ(percents(12), (QList<int>{50, 51, 52}));

    // A longer window than was kept reads the file again.
    studyLine(charge(13 * 3600 - 60, 40));
    EXPECT_EQ(percents(12), (QList<int>{50, 51, 52}));
    EXPECT_EQ(percents(13), (QList<int>{40, 50, 51, 52}));

    // A replaced (here: shorter) log is read from the start; a removed one gives nothing.
    dir.write(log.onlyPowerStudyLogURL().mid(dir.path().size() + 1), charge(100, 77) + "\n");
    EXPECT_EQ(percents(12), QList<int>{77});
    QFile::remove(log.onlyPowerStudyLogURL());
    EXPECT_TRUE(percents(12).isEmpty());

    // Time moving on drops what fell out of the window.
    studyLine(charge(600, 60));
    EXPECT_EQ(percents(12), QList<int>{60});
    dispatch.advanceSeconds(12 * 3600);
    EXPECT_TRUE(percents(12).isEmpty());
}

TEST_F(TelemetryFixture, RecordRoundTripsWithIsoTimesInWholeSeconds)
{
    const BatteryTelemetryRecord r{QDateTime(QDate(2026, 1, 15), QTime(12, 34, 56, 789), Qt::UTC), 64, 31.25, true};
    const QJsonObject o = r.toJson();
    EXPECT_EQ(o.value("timestamp").toString(), "2026-01-15T12:34:56Z");
    auto back = BatteryTelemetryRecord::fromJson(o);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->timestamp, r.timestamp.addMSecs(-789));
    EXPECT_EQ(back->temperature, 31.25);
    EXPECT_TRUE(back->isCharging);

    QJsonObject bad = o;
    bad.insert("temperature", "warm");
    EXPECT_FALSE(BatteryTelemetryRecord::fromJson(bad));
    bad = o;
    bad.remove("isCharging");
    EXPECT_FALSE(BatteryTelemetryRecord::fromJson(bad));
}

TEST(BatteryHourlyBarsGeometry, PlacesTwelveHoursAcrossTheWidth)
{
    const QDateTime now(QDate(2026, 1, 15), QTime(12, 0), Qt::UTC);
    BatteryHourlyBarsGeometry g;
    g.currentPercent = 64;
    g.targetLimit = 80;
    g.isCharging = true;

    auto empty = g.linePoints(now, QSizeF(600, 200));
    ASSERT_EQ(empty.size(), 1u);
    EXPECT_EQ(empty[0], QPointF(600, 200 - 200 * 0.64)) << "an empty history is the current percent at the right edge";
    EXPECT_TRUE(g.chartRecords(now).front().isCharging);
    EXPECT_DOUBLE_EQ(g.targetLineY(200), 40);

    g.records = {{now.addSecs(-3 * 3600), 100, std::nullopt, false},
                 {now.addSecs(-13 * 3600), 10, std::nullopt, false}, // outside the window
                 {now.addSecs(-12 * 3600), 150, std::nullopt, false},
                 {now.addSecs(600), 50, std::nullopt, false}}; // a future time sits at the right edge
    auto points = g.linePoints(now, QSizeF(600, 200));
    ASSERT_EQ(points.size(), 3u);
    EXPECT_EQ(points[0], QPointF(0, 0));
    EXPECT_EQ(points[1], QPointF(450, 0));
    EXPECT_EQ(points[2], QPointF(600, 100));
}

TEST(BatteryTemperatureSample, KeepsTheLastHourWithTemperatures)
{
    const QDateTime now(QDate(2026, 1, 15), QTime(12, 0), Qt::UTC);
    const std::vector<BatteryTelemetryRecord> records{{now.addSecs(-3601), 50, 28.0, false},
                                                      {now.addSecs(-3600), 50, 29.0, false},
                                                      {now.addSecs(-60), 50, std::nullopt, false},
                                                      {now, 51, 30.0, false}};
    const auto samples = BatteryTemperatureSample::displaySamples(records, now);
    ASSERT_EQ(samples.size(), 2u);
    EXPECT_EQ(samples[0].value, 29.0);
    EXPECT_EQ(samples[1].value, 30.0);
    EXPECT_NE(samples[0].id, samples[1].id);
    EXPECT_FALSE(samples[0].id.isNull());
}

TEST(BatteryTelemetryLogFailures, AFullOrReadOnlyDiskKeepsThePreviousLogAndSaysSoOnce)
{
    test::TinyFileSystem disk;
    if (!disk.available())
        GTEST_SKIP() << "mounting a small file system needs root";
    VirtualDispatch dispatch;
    BatteryTelemetryLog log{Paths::underRoot(disk.path()), dispatch};
    log.appendAndLoadRecent(80, 30.0, false);
    QFile file(log.logURL());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QByteArray kept = file.readAll();
    file.close();
    ASSERT_FALSE(kept.isEmpty());

    for (const test::WriteFault fault : test::kWriteFaults) {
        SCOPED_TRACE(describe(fault));
        ASSERT_TRUE(disk.impose(fault));
        test::LogCapture lines;
        for (int i = 0; i < 3; ++i) {
            // The first step goes past the 13-hour window, so the log has to rewrite the file: a
            // plain append can still land in the file's last block on a full disk, and should.
            dispatch.advanceSeconds(i == 0 ? 14 * 3600 : 60);
            const auto recent = log.appendAndLoadRecent(79 - i, 31.0, false);
            EXPECT_FALSE(recent.empty()) << "the screen still gets the history it had";
        }
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), kept);
        file.close();
        EXPECT_EQ(lines.count("BatteryTelemetryLog: could not rewrite"), 1);
        ASSERT_TRUE(disk.lift(fault));
        dispatch.advanceSeconds(60);
        log.appendAndLoadRecent(70, 31.0, false);
        EXPECT_TRUE(lines.contains("written again"));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_NE(file.readAll(), kept) << "the next reading with room is stored";
        file.close();
        // The next round starts from this file.
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        kept = file.readAll();
        file.close();
    }
}

} // namespace
} // namespace vantrel
