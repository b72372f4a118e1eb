// The battery policy against the simulated Mac: the power page's apply sets a limit the
// simulated charger then holds, and the readback shows it.
#include <gtest/gtest.h>

#include "SimProcess.h"
#include "base/Preferences.h"
#include "base/VirtualDispatch.h"
#include "daemon/DaemonClient.h"
#include "daemon/DaemonSocketTransport.h"
#include "power/BatteryPolicyState.h"
#include "power/PowerPageModel.h"

using namespace vantrel;

TEST(PowerSim, ALimitSetOnThePowerPageHoldsTheSimulatedBattery)
{
    test::TempDir dir;
    test::SimProcess sim(dir);
    ASSERT_TRUE(sim.start());
    VirtualDispatch dispatch;
    DaemonClient client(std::make_shared<DaemonSocketTransport>(dispatch, sim.socketPath(), false));
    MemoryPreferences prefs;
    BatteryPolicyState policy(prefs);
    PowerPageModel page(policy, client, dispatch, [] { return true; });
    page.primePowerControlsFromStoredSettings();

    ASSERT_EQ(sim.ctl({"battery", "percent=40"}), 0);
    ASSERT_EQ(sim.ctl({"adapter", "connected=true"}), 0);
    page.setToggle(PowerPageModel::chargeProtectorFeature, false);
    page.setChargeLimit(62); // the page sends 60
    page.applyBatteryConfig("integration");
    dispatch.runUntilIdle();
    ASSERT_EQ(page.featureActionStatusKey(), "power.status.set_battery_config_success");
    EXPECT_EQ(page.featureActionStatusArgument(), "60");

    ASSERT_EQ(sim.ctl({"step", "seconds=14400"}), 0); // four hours on the adapter
    const auto readback = client.getPowerPolicyState();
    ASSERT_TRUE(readback);
    EXPECT_GE(readback->value("battery_percent").toInt(), 59);
    EXPECT_LE(readback->value("battery_percent").toInt(), 60);
    EXPECT_EQ(readback->value("target_charge_limit").toInt(), 60);
    EXPECT_TRUE(readback->value("charge_limit_enabled").toBool());
    EXPECT_FALSE(readback->value("charge_protector_enabled").toBool(true));
    page.applyPowerReadback(*readback, false);
    EXPECT_DOUBLE_EQ(page.chargeLimit(), 60);
    EXPECT_EQ(page.batteryGateValue(), "has_battery");
    EXPECT_FALSE(page.powerStateValue().isEmpty());
}
