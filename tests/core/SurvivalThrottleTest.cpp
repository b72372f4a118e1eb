#include "core/SurvivalThrottle.h"

#include <QStringList>

#include <gtest/gtest.h>

#include "support/LogCapture.h"

namespace vantrel {
namespace {

struct Recorder {
    QStringList sent;
    SurvivalThrottle manager{[this](const QString& command) { sent.append(command); }};
    QStringList take()
    {
        QStringList out = sent;
        sent.clear();
        return out;
    }
};

TEST(SurvivalThrottle, EscalatesToLevelThreeAndBackInTheFixedOrder)
{
    test::LogCapture log;
    Recorder r;
    r.manager.applyThrottle(ThrottleLevel::level3, {101});
    EXPECT_EQ(r.take(), (QStringList{"NICE 101 15", "TSKP 101 1", "LOWP 1"}));
    EXPECT_EQ(r.manager.currentLevel(), ThrottleLevel::level3);
    EXPECT_TRUE(log.contains("Escalating Throttle to Level 3"));

    r.manager.applyThrottle(ThrottleLevel::level3, {101});
    EXPECT_TRUE(r.take().isEmpty()) << "same level and pids send nothing";

    r.manager.applyThrottle(ThrottleLevel::normal, {101});
    EXPECT_EQ(r.take(), (QStringList{"LOWP 0", "TSKP 101 0", "NICE 101 0"}));
    EXPECT_TRUE(log.contains("Escalating Throttle to Level 0")) << "falls are announced with the same words";
    EXPECT_EQ(r.manager.currentLevel(), ThrottleLevel::normal);
}

TEST(SurvivalThrottle, StepwiseLevelsOnlyAddWhatTheNewLevelImposes)
{
    Recorder r;
    r.manager.applyThrottle(ThrottleLevel::level1, {7, 8});
    EXPECT_EQ(r.take(), (QStringList{"NICE 7 15", "NICE 8 15"}));
    r.manager.applyThrottle(ThrottleLevel::level2, {7, 8});
    EXPECT_EQ(r.take(), (QStringList{"TSKP 7 1", "TSKP 8 1"})) << "already niced, not niced again";
    r.manager.applyThrottle(ThrottleLevel::level3, {7, 8});
    EXPECT_EQ(r.take(), (QStringList{"LOWP 1"}));
    // Falling one level releases everything the old level held on the old processes.
    r.manager.applyThrottle(ThrottleLevel::level2, {7, 8});
    EXPECT_EQ(r.take(), (QStringList{"LOWP 0", "TSKP 7 0", "TSKP 8 0", "NICE 7 0", "NICE 8 0"}));
    r.manager.applyThrottle(ThrottleLevel::level1, {7});
    EXPECT_EQ(r.take(), (QStringList{"TSKP 7 0", "TSKP 8 0", "NICE 7 0", "NICE 8 0"}));
    EXPECT_EQ(r.manager.currentPids(), std::vector<int>{7});
}

TEST(SurvivalThrottle, PidChurnAtOneLevelTouchesOnlyTheProcessesThatCameOrWent)
{
    Recorder r;
    r.manager.applyThrottle(ThrottleLevel::normal, {1, 2});
    EXPECT_TRUE(r.take().isEmpty()) << "normal level: pids are remembered, nothing is sent";
    EXPECT_EQ(r.manager.currentPids(), (std::vector<int>{1, 2}));

    r.manager.applyThrottle(ThrottleLevel::level1, {1, 2});
    r.take();
    r.manager.applyThrottle(ThrottleLevel::level1, {2, 3});
    EXPECT_EQ(r.take(), (QStringList{"NICE 1 0", "NICE 3 15"}));

    r.manager.applyThrottle(ThrottleLevel::level2, {2, 3});
    r.take();
    r.manager.applyThrottle(ThrottleLevel::level2, {3, 4, 5});
    EXPECT_EQ(r.take(), (QStringList{"NICE 2 0", "NICE 4 15", "NICE 5 15", "TSKP 2 0", "TSKP 4 1", "TSKP 5 1"}));

    // Reordering alone is a change of the list but moves no process.
    r.manager.applyThrottle(ThrottleLevel::level2, {5, 4, 3});
    EXPECT_TRUE(r.take().isEmpty());
    EXPECT_EQ(r.manager.currentPids(), (std::vector<int>{5, 4, 3}));

    // A pid listed twice is throttled once.
    r.manager.applyThrottle(ThrottleLevel::level2, {5, 4, 3, 9, 9});
    EXPECT_EQ(r.take(), (QStringList{"NICE 9 15", "TSKP 9 1"}));
}

} // namespace
} // namespace vantrel
