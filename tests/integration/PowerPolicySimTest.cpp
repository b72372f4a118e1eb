// The battery policy against the simulated Mac: the power page's apply sets a limit the
// simulated charger then holds, the readback shows it, and the daemon's rejections and
// partial applies reach the status line.
#include <memory>

#include <gtest/gtest.h>

#include "base/Preferences.h"
#include "base/VirtualDispatch.h"
#include "daemon/DaemonClient.h"
#include "daemon/DaemonSocketTransport.h"
#include "power/BatteryConfigurationApplier.h"
#include "power/BatteryPolicyState.h"
#include "power/PowerPageModel.h"
#include "SimProcess.h"

using namespace vantrel;

namespace {

struct PowerSim : ::testing::Test {
    test::TempDir dir;
    test::SimProcess sim{dir};
    VirtualDispatch dispatch;
    std::unique_ptr<DaemonClient> client;
    MemoryPreferences prefs;
    BatteryPolicyState policy{prefs};
    std::unique_ptr<PowerPageModel> page;

    void SetUp() override
    {
        ASSERT_TRUE(sim.start());
        client = std::make_unique<DaemonClient>(std::make_shared<DaemonSocketTransport>(dispatch, sim.socketPath(), false));
        page = std::make_unique<PowerPageModel>(policy, *client, dispatch, [] { return true; });
        page->primePowerControlsFromStoredSettings();
    }
    int percent() { return client->getPowerPolicyState().value_or(QJsonObject()).value("battery_percent").toInt(-1); }
};

TEST_F(PowerSim, ALimitSetOnThePowerPageHoldsTheSimulatedBattery)
{
    ASSERT_EQ(sim.ctl({"battery", "percent=40"}), 0);
    ASSERT_EQ(sim.ctl({"adapter", "connected=true"}), 0);
    page->setToggle(PowerPageModel::chargeProtectorFeature, false);
    page->setChargeLimit(62); // the page sends 60
    page->applyBatteryConfig("integration");
    dispatch.runUntilIdle();
    ASSERT_EQ(page->featureActionStatusKey(), "power.status.set_battery_config_success");
    EXPECT_EQ(page->featureActionStatusArgument(), "60");

    ASSERT_EQ(sim.ctl({"step", "seconds=14400"}), 0); // four hours on the adapter
    const int held = percent();
    EXPECT_GE(held, 59);
    EXPECT_LE(held, 60);
    ASSERT_EQ(sim.ctl({"step", "seconds=7200"}), 0);
    EXPECT_LE(percent(), 60) << "the limit still holds two hours later";

    const auto readback = client->getPowerPolicyState();
    ASSERT_TRUE(readback);
    EXPECT_EQ(readback->value("target_charge_limit").toInt(), 60);
    EXPECT_TRUE(readback->value("charge_limit_enabled").toBool());
    EXPECT_FALSE(readback->value("charge_protector_enabled").toBool(true));
    page->applyPowerReadback(*readback, false);
    EXPECT_DOUBLE_EQ(page->chargeLimit(), 60);
    EXPECT_EQ(page->batteryGateValue(), "has_battery");
    EXPECT_FALSE(page->powerStateValue().isEmpty());

    // The central apply sends the same policy once and then knows it is in force.
    BatteryConfigurationApplier applier(policy, *client, dispatch, [] { return true; });
    std::vector<bool> results;
    applier.applyBatteryConfigurationNow("integration", [&](bool ok) { results.push_back(ok); });
    dispatch.runUntilIdle();
    applier.applyBatteryConfigurationNow("integration", [&](bool ok) { results.push_back(ok); });
    dispatch.runUntilIdle();
    EXPECT_EQ(results, (std::vector<bool>{true, true}));
    EXPECT_EQ(policy.lastBatteryConfigSignature(), "true|60|false|5|true|35|false|auto");
}

TEST_F(PowerSim, RejectionsAndPartialAppliesReachTheStatusLine)
{
    // The simulated daemon refuses a heat threshold below 25 °C.
    page->setHeatMaxTemp(20);
    page->applyBatteryConfig("integration");
    dispatch.runUntilIdle();
    EXPECT_EQ(page->featureActionStatusKey(), "power.status.set_battery_config_fail_msg");
    EXPECT_TRUE(page->featureActionStatusArgument().value_or("").contains("25")) << "the daemon's message is named";
    EXPECT_DOUBLE_EQ(page->heatMaxTemp(), client->getPowerPolicyState()->value("max_battery_temp").toDouble())
        << "the slider returns to the daemon's threshold";

    ASSERT_EQ(sim.ctl({"battery", R"(charger_faults=["charge_limit"])"}), 0);
    page->setHeatMaxTemp(36);
    page->applyBatteryConfig("integration");
    dispatch.runUntilIdle();
    EXPECT_TRUE(page->featureActionStatusKey().startsWith("power.status.set_battery_config_partial"));
    EXPECT_EQ(page->featureActionStatusTone(), PowerPageModel::StatusTone::warning);
}

} // namespace
