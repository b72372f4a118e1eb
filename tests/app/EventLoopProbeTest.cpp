// The event-loop probe: lateness of its timer when the main queue is held up, the figures it
// reports, and its report file.
#include <QJsonObject>

#include <gtest/gtest.h>

#include "app/EventLoopProbe.h"
#include "base/AtomicFile.h"
#include "base/JsonAccess.h"
#include "base/VirtualDispatch.h"
#include "support/TempDir.h"

namespace vantrel {
namespace {

TEST(EventLoopProbe, MeasuresHowLongTheMainQueueWasHeldUpAndReportsIt)
{
    VirtualDispatch dispatch;
    test::TempDir dir;
    const QString report = dir.file("probe/report.json");
    EventLoopProbe probe(dispatch, report);
    probe.start();

    dispatch.advance(Duration(1000));
    EventLoopProbe::Figures f = probe.figures();
    EXPECT_EQ(f.samples, 10);
    EXPECT_NEAR(f.maxLateMs, 0.0, 0.01) << "an idle loop runs the timer on time";

    // Work on the main queue that takes 2.5 s: the probe's timer comes 2.4 s late (it was due
    // 100 ms after it was armed), and the clock never runs backwards for the late timer.
    dispatch.main()->async([&dispatch] { dispatch.clock().advance(Duration(2500)); });
    dispatch.advance(Duration(100));
    f = probe.figures();
    EXPECT_EQ(f.samples, 11);
    EXPECT_NEAR(f.maxLateMs, 2400.0, 0.5);
    EXPECT_NEAR(f.maxAtSeconds, 3.5, 0.01);

    probe.countReading();
    probe.countReading();
    dispatch.advance(Duration(1000));
    ASSERT_TRUE(readFile(report)) << "rewritten every second while running";
    probe.stop();
    const auto written = json::parseObject(*readFile(report));
    ASSERT_TRUE(written);
    EXPECT_EQ(written->value("samples").toInteger(), probe.figures().samples);
    EXPECT_EQ(written->value("max_late_ms").toDouble(), 2400.0);
    EXPECT_EQ(written->value("readings_published").toInteger(), 2);
    EXPECT_FALSE(written->value("running").toBool());
    EXPECT_LE(written->value("p50_late_ms").toDouble(), 1.0) << "the usual turn is on time";
    EXPECT_EQ(written->value("p99_late_ms").toDouble(), 2400.0) << "with 21 samples the slowest is the 99th percentile";

    const long long samples = probe.figures().samples;
    dispatch.advance(Duration(1000));
    EXPECT_EQ(probe.figures().samples, samples) << "stopped: no more samples";
}

TEST(EventLoopProbe, PercentilesComeFromTheRecordedLateness)
{
    VirtualDispatch dispatch;
    test::TempDir dir;
    EventLoopProbe probe(dispatch, dir.file("r.json"));
    for (int i = 0; i < 980; ++i)
        probe.record(i % 10); // 0…9 ms
    for (int i = 0; i < 20; ++i)
        probe.record(500 + i); // 2 % of the samples are far later
    probe.record(-3); // a timer can fire a hair early: counts as on time
    probe.record(90000); // later than the histogram reaches: kept exactly as the maximum
    const auto f = probe.figures();
    EXPECT_EQ(f.samples, 1002);
    EXPECT_EQ(f.maxLateMs, 90000.0);
    EXPECT_GE(f.p50LateMs, 4.0);
    EXPECT_LE(f.p50LateMs, 6.0);
    EXPECT_GE(f.p99LateMs, 500.0) << "the slowest 2 % reach into the 99th percentile";
    EXPECT_LE(f.p99LateMs, 521.0);
}

TEST(EventLoopProbe, RequestedOnlyByTheEnvironment)
{
    qunsetenv("VANTREL_EVENT_LOOP_PROBE");
    EXPECT_FALSE(EventLoopProbe::requestedPath());
    qputenv("VANTREL_EVENT_LOOP_PROBE", "/tmp/x/probe.json");
    EXPECT_EQ(EventLoopProbe::requestedPath(), QStringLiteral("/tmp/x/probe.json"));
    qunsetenv("VANTREL_EVENT_LOOP_PROBE");
}

} // namespace
} // namespace vantrel
