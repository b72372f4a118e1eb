// Keep-awake against a running vantrel-sim: the assertions the controller holds, the shield and
// the screen-lock request of a lid sequence show in the simulator's state as they happen.
#include <QDir>
#include <QJsonArray>

#include <gtest/gtest.h>

#include "SimProcess.h"
#include "base/Preferences.h"
#include "base/VirtualDispatch.h"
#include "daemon/DaemonSocketTransport.h"
#include "platform/linux/LinuxAccessibilityAccess.h"
#include "platform/linux/LinuxProcessRunner.h"
#include "platform/sim/SimDisplays.h"
#include "platform/sim/SimLidState.h"
#include "platform/sim/SimPowerAssertions.h"
#include "platform/sim/SimScreenLock.h"
#include "platform/sim/SimShieldWindows.h"
#include "sleep/DarkKeepAlive.h"
#include "sleep/SafetyLockShieldController.h"
#include "sleep/VirtualDisplayManager.h"

using namespace vantrel;

namespace {

QJsonObject platformState(const test::SimProcess& sim)
{
    return sim.call("sim_state")["hardware"].toObject()["platform"].toObject();
}

// "type/name" of every assertion the simulator holds, in its order.
QStringList assertions(const test::SimProcess& sim)
{
    QStringList list;
    for (const QJsonValue& a : platformState(sim)["assertions"].toArray())
        list << a["type"].toString() + QLatin1Char('/') + a["name"].toString();
    return list;
}

} // namespace

TEST(KeepAliveSim, AssertionsShieldAndLockRequestsFollowTheLid)
{
    test::TempDir dir;
    test::SimProcess sim(dir);
    ASSERT_TRUE(sim.start());

    VirtualDispatch dispatch;
    MemoryPreferences prefs;
    const Paths paths = dir.paths();
    QDir().mkpath(paths.tmpDirectory());
    auto transport = std::make_shared<DaemonSocketTransport>(dispatch, sim.socketPath(), false);
    SafetyLockShieldController shield(dispatch, paths,
                                      std::make_shared<SimShieldWindows>(dispatch, transport, sim.stateDirectory()));
    VirtualDisplayManager virtualDisplay(std::make_shared<SimDisplays>(sim.stateDirectory(), transport));
    bool clamshell = false;
    DarkKeepAlive keepAlive(dispatch, prefs, paths,
                            DarkKeepAlive::Platform{std::make_shared<SimPowerAssertions>(transport),
                                                    std::make_shared<SimScreenLock>(transport),
                                                    std::make_shared<SimLidState>(sim.stateDirectory()),
                                                    std::make_shared<LinuxProcessRunner>(),
                                                    std::make_shared<LinuxAccessibilityAccess>(), nullptr},
                            DarkKeepAlive::Collaborators{shield, virtualDisplay},
                            DarkKeepAlive::SleepFlags{[] { return true; }, [&] { return clamshell; }});

    keepAlive.start(0);
    EXPECT_EQ(assertions(sim),
              (QStringList{QStringLiteral("PreventSystemSleep/Vantrel Keep-Alive"),
                           QStringLiteral("NoDisplaySleepAssertion/Vantrel Keep-Alive")}));
    keepAlive.preventDisplaySleep(true);
    EXPECT_TRUE(assertions(sim).contains(QStringLiteral("NoDisplaySleepAssertion/Vantrel Stay Awake")));

    // The virtual clamshell with the safety lock, as the sleep reconciliation switches it on.
    clamshell = true;
    keepAlive.start(1);
    EXPECT_EQ(assertions(sim),
              (QStringList{QStringLiteral("PreventSystemSleep/Vantrel Keep-Alive"),
                           QStringLiteral("PreventUserIdleSystemSleep/Vantrel Keep-Alive")}));
    virtualDisplay.startVirtualDisplay();
    ASSERT_TRUE(virtualDisplay.isDisplayPresent());
    keepAlive.preventDisplaySleep(true);
    keepAlive.updateLidOpenLockMonitoring(true);
    EXPECT_EQ(assertions(sim).size(), 3);

    ASSERT_EQ(sim.ctl({"lid", "closed=true"}), 0);
    dispatch.advance(DarkKeepAlive::clamshellPollInterval);
    QJsonObject state = platformState(sim);
    EXPECT_TRUE(state["shield_visible"].toBool());
    EXPECT_TRUE(state["virtual_display_active"].toBool());
    EXPECT_EQ(assertions(sim),
              (QStringList{QStringLiteral("PreventSystemSleep/Vantrel Keep-Alive"),
                           QStringLiteral("PreventUserIdleSystemSleep/Vantrel Keep-Alive")}));

    ASSERT_EQ(sim.ctl({"lid", "closed=false"}), 0);
    dispatch.advance(DarkKeepAlive::clamshellPollInterval);
    state = platformState(sim);
    EXPECT_EQ(state["screen_lock_requests"].toInt(), 1);
    EXPECT_TRUE(state["shield_visible"].toBool()); // until the lock screen is up
    EXPECT_TRUE(assertions(sim).contains(QStringLiteral("NoDisplaySleepAssertion/Vantrel Stay Awake")));
    dispatch.advanceSeconds(DarkKeepAlive::safetyShieldReleaseDelay);
    EXPECT_FALSE(platformState(sim)["shield_visible"].toBool());

    // The same state through the command line the simulator offers.
    QByteArray out;
    ASSERT_EQ(sim.ctl({"state"}, &out), 0);
    EXPECT_TRUE(out.contains("\"screen_lock_requests\": 1"));
    EXPECT_TRUE(out.contains("Vantrel Keep-Alive"));

    keepAlive.stop(false);
    state = platformState(sim);
    EXPECT_TRUE(state["assertions"].toArray().isEmpty());
    EXPECT_FALSE(state["virtual_display_active"].toBool());
}
