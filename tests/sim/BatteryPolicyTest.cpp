#include <QJsonArray>

#include <gtest/gtest.h>

#include "SimTestSupport.h"
#include "sim/model/SimulatedMac.h"

using namespace vantrel::sim;

namespace {

struct Trace {
    int minPercent = 101;
    int maxPercent = -1;
    QStringList states; // each state once, in the order first seen
};

// Steps the Mac second by second for `seconds`, watching percent and state.
Trace run(SimulatedMac& mac, int seconds, Trace trace = {})
{
    for (int i = 0; i < seconds; ++i) {
        mac.step(1);
        const int p = mac.battery()->percent();
        trace.minPercent = std::min(trace.minPercent, p);
        trace.maxPercent = std::max(trace.maxPercent, p);
        if (trace.states.isEmpty() || trace.states.last() != mac.policy().state())
            trace.states << mac.policy().state();
    }
    return trace;
}

int countEvents(const SimulatedMac& mac, const QString& policy, const QString& action)
{
    int n = 0;
    for (const auto& e : mac.evidence().newest(500, policy))
        n += e.toObject().value("action").toString() == action ? 1 : 0;
    return n;
}

SimulatedMac laptopAt(double percent)
{
    return SimulatedMac(MachineProfile::laptop14(), vantrel::test::kSimStartEpoch, percent);
}

} // namespace

TEST(BatteryPolicy, LimitHoldsOnTheAdapterWithoutTheProtector)
{
    SimulatedMac mac = laptopAt(60);
    mac.policy().configure(BatteryConfig{true, 80, false, 5, false, 35, false, std::nullopt});
    mac.settle();
    EXPECT_EQ(mac.policy().state(), "charging_to_target");

    const Trace trace = run(mac, 3 * 3600);
    EXPECT_EQ(trace.maxPercent, 80);
    EXPECT_EQ(mac.battery()->percent(), 80);
    EXPECT_EQ(mac.policy().state(), "power_only_at_target");
    EXPECT_EQ(mac.battery()->currentMa(), 0) << "held: the adapter runs the Mac, the battery rests";
    EXPECT_FALSE(mac.isCharging());

    mac.setAdapter(false);
    mac.step(60);
    EXPECT_EQ(mac.policy().state(), "on_battery");
    EXPECT_LT(mac.battery()->currentMa(), 0);
}

TEST(BatteryPolicy, ProtectorSailsDownToTheDropFloorAndRecharges)
{
    SimulatedMac mac = laptopAt(77);
    mac.policy().configure(BatteryConfig{true, 80, true, 5, false, 35, false, std::nullopt});
    mac.settle();

    Trace trace = run(mac, 4 * 3600);
    EXPECT_EQ(trace.maxPercent, 80);
    EXPECT_EQ(trace.minPercent, 75) << "down to the drop floor, never below";
    EXPECT_EQ(trace.states.mid(0, 3),
              (QStringList{"charging_to_target", "charge_protector_hold_until_drop_floor", "charging_to_target"}));
    EXPECT_GE(countEvents(mac, "battery.charge_protector", "recharge"), 2)
        << "several sail-and-recharge rounds in four hours";

    // In the hold the Mac runs from its battery although plugged in.
    while (mac.policy().state() != "charge_protector_hold_until_drop_floor")
        mac.step(1);
    mac.step(5);
    EXPECT_LT(mac.battery()->currentMa(), -100);
    EXPECT_FALSE(mac.adapterInUse());
}

TEST(BatteryPolicy, SafetyDrainWaitsThenDrainsToTheTargetAndHolds)
{
    SimulatedMac mac = laptopAt(90);
    mac.policy().configure(BatteryConfig{true, 80, false, 5, false, 35, true, 60});
    mac.settle();
    EXPECT_EQ(mac.policy().safetyDrainWaitSeconds(), 60);
    EXPECT_FALSE(mac.policy().safetyDrainActive());
    mac.step(59);
    EXPECT_EQ(mac.policy().safetyDrainWaitSeconds(), 1);
    EXPECT_FALSE(mac.policy().safetyDrainActive());
    mac.step(1);
    EXPECT_TRUE(mac.policy().safetyDrainActive());
    EXPECT_EQ(mac.policy().state(), "safety_drain_active");

    mac.setLoad(60, 40); // drains faster
    const Trace trace = run(mac, 6 * 3600);
    EXPECT_EQ(trace.minPercent, 60);
    EXPECT_FALSE(mac.policy().safetyDrainActive());
    EXPECT_EQ(mac.policy().state(), "power_only_at_target") << "held at the drain target, not recharged to the limit";
    EXPECT_EQ(mac.battery()->percent(), 60);
    EXPECT_EQ(countEvents(mac, "battery.safety_drain", "drain_completed"), 1);

    // Unplugged, nothing drains or waits.
    mac.battery()->setPercent(75);
    mac.setAdapter(false);
    mac.settle();
    EXPECT_EQ(mac.policy().safetyDrainWaitSeconds(), 0);
    EXPECT_FALSE(mac.policy().safetyDrainActive());
}

TEST(BatteryPolicy, HeatEpisodeCutsPowerDrivesFansForThreeMinutesAndRepeatsWhileHot)
{
    SimulatedMac mac = laptopAt(50);
    mac.policy().configure(BatteryConfig{true, 80, false, 5, true, 35, false, std::nullopt});
    mac.battery()->setTemperature(33.5, true);
    mac.settle();
    EXPECT_FALSE(mac.policy().heatProtectionActive());
    ASSERT_TRUE(mac.policy().heatWarning()) << "within 2 °C of the threshold";
    mac.step(10);
    EXPECT_TRUE(mac.isCharging());

    mac.battery()->setTemperature(40, true);
    mac.settle();
    EXPECT_TRUE(mac.policy().heatProtectionActive());
    EXPECT_EQ(mac.policy().heatRemainingSeconds(), 180);
    EXPECT_FALSE(mac.policy().heatWarning());
    mac.step(179);
    EXPECT_TRUE(mac.policy().heatProtectionActive());
    EXPECT_EQ(mac.policy().heatRemainingSeconds(), 1);
    EXPECT_FALSE(mac.isCharging());
    EXPECT_LT(mac.battery()->currentMa(), 0) << "power cut: the Mac runs from its battery";
    EXPECT_EQ(mac.fans().fan(0).targetRpm, 5700);
    EXPECT_EQ(mac.fans().fan(1).actualRpm, 5700);

    // Still hot when the episode ends: the next one starts at once.
    mac.step(1);
    EXPECT_EQ(countEvents(mac, "battery.heat_protection", "episode_ended"), 1);
    EXPECT_EQ(countEvents(mac, "battery.heat_protection", "episode_started"), 2);
    EXPECT_EQ(mac.policy().heatRemainingSeconds(), 180);

    mac.battery()->setTemperature(30, false);
    mac.step(180);
    EXPECT_FALSE(mac.policy().heatProtectionActive());
    EXPECT_EQ(countEvents(mac, "battery.heat_protection", "episode_started"), 2);
    mac.step(30);
    EXPECT_TRUE(mac.isCharging()) << "charging back on after the episode";
    EXPECT_LT(mac.fans().fan(0).targetRpm, 5700) << "fans back to their own control";
}

TEST(BatteryPolicy, OneTimeFullChargeThenRestoresTheGivenLimit)
{
    SimulatedMac mac = laptopAt(78);
    mac.policy().configure(BatteryConfig{true, 80, false, 5, false, 35, false, std::nullopt});
    mac.policy().requestOneTimeFullCharge(70);
    mac.settle();
    EXPECT_EQ(mac.policy().state(), "temporary_full_charge");

    const Trace trace = run(mac, 4 * 3600);
    EXPECT_EQ(trace.maxPercent, 100);
    EXPECT_FALSE(mac.policy().oneTimeFullChargeActive());
    EXPECT_EQ(mac.policy().config().limit, 70);
    // Full, above the restored limit: not at the target but waiting for the level to fall to it.
    EXPECT_EQ(mac.policy().state(), "power_only_hold_until_drop_floor");
    EXPECT_FALSE(mac.isCharging());
    EXPECT_EQ(countEvents(mac, "battery.one_time_full_charge", "completed"), 1);
    EXPECT_TRUE(trace.states.startsWith("temporary_full_charge"));
}

TEST(SleepControl, LowBatteryCutoffWithHysteresisAndTheAdapter)
{
    SimulatedMac mac = laptopAt(45);
    mac.setAdapter(false);
    std::vector<PolicyEvent> events;
    mac.sleep().request(true, 40, mac.sleepInputs(), events);
    EXPECT_TRUE(mac.sleep().effective());

    const auto at = [&mac](int percent) {
        mac.battery()->setPercent(percent);
        mac.settle();
        return mac.sleep().effective();
    };
    EXPECT_TRUE(at(40));
    EXPECT_FALSE(at(39));
    EXPECT_TRUE(mac.sleep().lowBatteryVanilla());
    EXPECT_FALSE(at(41)) << "resumes only above cut-off + 1";
    EXPECT_TRUE(at(42));
    EXPECT_FALSE(at(30));
    mac.setAdapter(true);
    mac.settle();
    EXPECT_TRUE(mac.sleep().effective()) << "external power lifts the cut-off";
    EXPECT_GE(mac.evidence().newest(50, "sleep.").size(), 4);
}
