#include "platform/sim/SimShieldWindows.h"

#include <QDir>

#include <gtest/gtest.h>

#include "base/VirtualDispatch.h"
#include "sleep/SafetyLockShieldController.h"
#include "support/FakeDaemonTransport.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"

namespace vantrel {
namespace {

struct SimRig {
    test::TempDir temp;
    Paths paths = temp.paths();
    VirtualDispatch dispatch;
    std::shared_ptr<test::FakeDaemonTransport> sim = std::make_shared<test::FakeDaemonTransport>();
    std::shared_ptr<SimShieldWindows> windows;
    std::unique_ptr<SafetyLockShieldController> controller;

    explicit SimRig(const QByteArray& hardware)
    {
        QDir().mkpath(paths.tmpDirectory());
        temp.write(QStringLiteral("state/hardware.json"), hardware);
        windows = std::make_shared<SimShieldWindows>(dispatch, sim, temp.file(QStringLiteral("state")));
        controller = std::make_unique<SafetyLockShieldController>(dispatch, paths, windows);
    }

    std::vector<bool> reported() const
    {
        std::vector<bool> visible;
        for (const QJsonObject& r : sim->requestsFor(QStringLiteral("sim_platform"))) {
            EXPECT_EQ(r.value("action").toString(), QStringLiteral("set_shield_visible"));
            visible.push_back(r.value("visible").toBool());
        }
        return visible;
    }
};

TEST(SimShieldWindows, ReportsTheShieldToTheSimulatorInOrder)
{
    SimRig r(R"({"model_name": "MacBook Pro", "external_display_count": 2})");
    r.sim->replyOk(QStringLiteral("sim_platform"));
    const std::vector<ShieldScreen> screens = r.windows->screens();
    ASSERT_EQ(screens.size(), 3u);
    EXPECT_TRUE(screens[0].builtIn);
    EXPECT_FALSE(screens[1].builtIn);
    EXPECT_FALSE(screens[2].builtIn);

    test::LogCapture log;
    ASSERT_TRUE(r.controller->showBuiltInDisplayShieldOnce(QStringLiteral("lid closed pre-arm")));
    EXPECT_TRUE(r.reported().empty()); // sent from its own queue, not from the caller
    ASSERT_TRUE(r.controller->showBuiltInDisplayShieldOnce(QStringLiteral("lid opened fallback")));
    r.controller->releaseShieldIfCurrent(QStringLiteral("post-lock guard"), 2);
    r.controller->releaseShield(QStringLiteral("DarkKeepAlive stop")); // nothing shown: nothing sent
    r.dispatch.runUntilIdle();
    EXPECT_EQ(r.reported(), (std::vector<bool>{true, false, true, false}));
    EXPECT_FALSE(log.contains(QStringLiteral("SimPlatform:")));
}

TEST(SimShieldWindows, DesktopMacHasNoBuiltInScreenAndASilentSimulatorIsLoggedOnce)
{
    SimRig mini(R"({"model_name": "Mac mini", "external_display_count": 1})");
    EXPECT_FALSE(mini.controller->showBuiltInDisplayShieldOnce(QStringLiteral("lid closed pre-arm")));
    mini.dispatch.runUntilIdle();
    EXPECT_TRUE(mini.sim->requests().empty());

    SimRig garbage("{\"model_name\": \"MacBo");
    EXPECT_TRUE(garbage.windows->screens().empty());
    EXPECT_FALSE(garbage.controller->showBuiltInDisplayShieldOnce(QStringLiteral("lid closed pre-arm")));

    SimRig silent(R"({"model_name": "MacBook Air"})");
    test::LogCapture log;
    ASSERT_TRUE(silent.controller->showBuiltInDisplayShieldOnce(QStringLiteral("lid closed pre-arm")));
    silent.controller->releaseShield(QStringLiteral("lid opened without safety lock"));
    silent.dispatch.runUntilIdle();
    EXPECT_EQ(silent.reported(), (std::vector<bool>{true, false}));
    EXPECT_EQ(log.count(QStringLiteral("SimPlatform: the simulator did not record the shield")), 1);
    EXPECT_FALSE(silent.controller->isShieldVisible());
}

} // namespace
} // namespace vantrel
