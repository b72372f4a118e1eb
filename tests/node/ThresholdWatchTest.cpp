#include "node/power/ThresholdWatch.h"

#include <gtest/gtest.h>

namespace vantrel::node {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

const QString kCharging = QStringLiteral("Charging");

TEST(ThresholdWatch, ChargingPastTheLimitOnExternalPowerForFiveMinutesMeansIgnored)
{
    ThresholdWatch w;
    const Clock::time_point t0{};
    EXPECT_TRUE(w.limitInEffect());
    w.observe(t0, true, 81, kCharging, 80);
    EXPECT_TRUE(w.limitInEffect());
    w.observe(t0 + ThresholdWatch::kIgnoredAfter - 1s, true, 82, kCharging, 80);
    EXPECT_TRUE(w.limitInEffect());
    w.observe(t0 + ThresholdWatch::kIgnoredAfter, true, 83, kCharging, 80);
    EXPECT_FALSE(w.limitInEffect());
    w.observe(t0 + 20min, true, 90, kCharging, 80);
    EXPECT_FALSE(w.limitInEffect());

    // Charging stops: in effect again at once, and a new episode needs its own five minutes.
    w.observe(t0 + 21min, true, 90, QStringLiteral("Not charging"), 80);
    EXPECT_TRUE(w.limitInEffect());
    w.observe(t0 + 22min, true, 90, kCharging, 80);
    w.observe(t0 + 26min, true, 90, kCharging, 80);
    EXPECT_TRUE(w.limitInEffect());
    w.observe(t0 + 27min, true, 90, kCharging, 80);
    EXPECT_FALSE(w.limitInEffect());
}

TEST(ThresholdWatch, EachConditionInterruptsTheEpisode)
{
    const Clock::time_point t0{};
    struct Case {
        const char* what;
        bool external;
        int percent;
        QString status;
        int limit;
    };
    const Case breaks[] = {
        {"unplugged", false, 85, kCharging, 80},
        {"at the limit", true, 80, kCharging, 80},
        {"not charging", true, 85, QStringLiteral("Not charging"), 80},
        {"full", true, 85, QStringLiteral("Full"), 80},
        {"no limit", true, 85, kCharging, 100},
        {"limit unknown", true, 85, kCharging, -1},
    };
    for (const Case& c : breaks) {
        ThresholdWatch w;
        w.observe(t0, true, 85, kCharging, 80);
        w.observe(t0 + 3min, c.external, c.percent, c.status, c.limit);
        EXPECT_TRUE(w.limitInEffect()) << c.what;
        w.observe(t0 + 6min, true, 85, kCharging, 80);
        EXPECT_TRUE(w.limitInEffect()) << c.what << ": the interruption restarts the five minutes";
        // The same readings held throughout never count as ignored.
        ThresholdWatch steady;
        steady.observe(t0, c.external, c.percent, c.status, c.limit);
        steady.observe(t0 + 60min, c.external, c.percent, c.status, c.limit);
        EXPECT_TRUE(steady.limitInEffect()) << c.what;
    }
}

TEST(ThresholdWatch, ANewLimitGetsItsOwnGracePeriod)
{
    ThresholdWatch w;
    const Clock::time_point t0{};
    w.observe(t0, true, 85, kCharging, 80);
    w.observe(t0 + 4min, true, 85, kCharging, 75);
    w.observe(t0 + 6min, true, 85, kCharging, 75);
    EXPECT_TRUE(w.limitInEffect());
    w.observe(t0 + 9min, true, 86, kCharging, 75);
    EXPECT_FALSE(w.limitInEffect());
}

} // namespace
} // namespace vantrel::node
