// The safety shield against a running vantrel-sim: the simulated laptop's built-in panel is
// covered and the simulator's state shows the shield while it is up.
#include <QDir>

#include <gtest/gtest.h>

#include "SimProcess.h"
#include "base/VirtualDispatch.h"
#include "daemon/DaemonSocketTransport.h"
#include "platform/sim/SimShieldWindows.h"
#include "sleep/SafetyLockShieldController.h"

using namespace vantrel;

TEST(ShieldSim, SimulatorSeesTheShieldComeAndGo)
{
    test::TempDir dir;
    test::SimProcess sim(dir);
    ASSERT_TRUE(sim.start());
    const auto shieldVisible = [&] {
        return sim.call("sim_state")["hardware"].toObject()["platform"].toObject()["shield_visible"].toBool();
    };

    VirtualDispatch dispatch;
    const Paths paths = dir.paths();
    QDir().mkpath(paths.tmpDirectory());
    auto transport = std::make_shared<DaemonSocketTransport>(dispatch, sim.socketPath(), false);
    auto windows = std::make_shared<SimShieldWindows>(dispatch, transport, sim.stateDirectory());
    SafetyLockShieldController shield(dispatch, paths, windows);

    ASSERT_TRUE(shield.showBuiltInDisplayShieldOnce(QStringLiteral("lid closed pre-arm")));
    dispatch.runUntilIdle();
    EXPECT_TRUE(shieldVisible());

    shield.releaseShieldIfCurrent(QStringLiteral("post-lock guard"), shield.currentShieldGeneration());
    dispatch.runUntilIdle();
    EXPECT_FALSE(shieldVisible());
}
