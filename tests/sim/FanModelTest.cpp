#include <cmath>

#include <gtest/gtest.h>

#include "SimTestSupport.h"
#include "sim/model/FanController.h"
#include "sim/model/SimulatedMac.h"

using namespace vantrel::sim;

TEST(FanCurve, InterpolatesLinearlyFlatOutsideAndInTemperatureOrder)
{
    const FanCurve curve{{80, 100}, {40, 20}, {60, 50}};
    EXPECT_DOUBLE_EQ(interpolateCurve(curve, 20), 20);
    EXPECT_DOUBLE_EQ(interpolateCurve(curve, 50), 35);
    EXPECT_DOUBLE_EQ(interpolateCurve(curve, 70), 75);
    EXPECT_DOUBLE_EQ(interpolateCurve(curve, 95), 100);
    EXPECT_DOUBLE_EQ(interpolateCurve({}, 70), 0);
    EXPECT_DOUBLE_EQ(interpolateCurve({{50, 150}}, 70), 100) << "percent clamps";
    EXPECT_DOUBLE_EQ(interpolateCurve({{50, 10}, {50, 90}}, 50), 10) << "equal temperatures do not divide by zero";
}

TEST(FanModel, FansFollowTheAppliedCurveWithinRampLimits)
{
    SimulatedMac mac(MachineProfile::laptop14(), vantrel::test::kSimStartEpoch);
    // Straight lines, so the expected speed at any CPU temperature is plain arithmetic: the left
    // fan at temperature %, the right at half that, of the 5700 rpm maximum.
    const FanCurve left{{0, 0}, {100, 100}};
    const FanCurve right{{0, 0}, {100, 50}};
    mac.fans().applyConfig(FanConfig{true, false, left, right, QStringLiteral("test"), false});
    mac.setLoad(70, 30);

    double previous[2] = {0, 0};
    for (int second = 0; second < 600; ++second) {
        mac.step(1);
        for (int i = 0; i < 2; ++i) {
            const double actual = mac.fans().fan(i).actualRpm;
            // A stopped fan starts at its minimum speed; after that the ramp limits hold.
            if (previous[i] > 0) {
                EXPECT_LE(std::abs(actual - previous[i]), FanController::kRampUpRpmPerSecond + 1e-6)
                    << "fan " << i << " at " << second;
            }
            previous[i] = actual;
        }
    }
    const double cpu = mac.sensors().cpuAverage;
    ASSERT_GT(cpu, 45.0) << "warm enough that neither fan sits at its 1200 rpm minimum";
    EXPECT_NEAR(mac.fans().fan(0).targetRpm, cpu * 57.0, 1.0);
    EXPECT_NEAR(mac.fans().fan(1).targetRpm, cpu * 28.5, 1.0);
    // Ten minutes at steady load: the actual speeds have arrived (temperature moves slowly by then).
    EXPECT_NEAR(mac.fans().fan(0).actualRpm, mac.fans().fan(0).targetRpm, 60.0);
    EXPECT_NEAR(mac.fans().fan(1).actualRpm, mac.fans().fan(1).targetRpm, 60.0);
    EXPECT_GT(mac.fans().fan(0).actualRpm, mac.fans().fan(1).actualRpm);

    // Unified: the right fan takes the left curve.
    mac.fans().applyConfig(FanConfig{true, true, left, right, QStringLiteral("test"), false});
    mac.step(30);
    EXPECT_NEAR(mac.fans().fan(1).targetRpm, mac.sensors().cpuAverage * 57.0, 1.0);
}

TEST(FanModel, StockControlFixedSpeedsAndCoolingFeedBack)
{
    SimulatedMac mac(MachineProfile::laptop14(), vantrel::test::kSimStartEpoch);
    mac.setLoad(5, 0);
    mac.step(300);
    EXPECT_EQ(mac.fans().fan(0).actualRpm, 0) << "fans stand still while the Mac is cool";
    EXPECT_LT(mac.sensors().cpuAverage, 50);

    mac.setLoad(100, 60);
    mac.step(1800);
    const double stockCpu = mac.sensors().cpuAverage;
    EXPECT_GT(mac.fans().fan(0).actualRpm, 1200);
    EXPECT_GT(stockCpu, 60);

    // The same load with the fans held at their minimum and at their maximum.
    const auto heldAt = [](int rpm) {
        SimulatedMac held(MachineProfile::laptop14(), vantrel::test::kSimStartEpoch);
        held.setLoad(100, 60);
        EXPECT_TRUE(held.fans().setFixedRpm(0, rpm));
        EXPECT_TRUE(held.fans().setFixedRpm(1, rpm));
        held.step(1800);
        return held;
    };
    const SimulatedMac slow = heldAt(1200);
    const SimulatedMac fast = heldAt(99999);
    EXPECT_EQ(*fast.fans().fan(0).fixedRpm, 5700) << "clamped to the maximum";
    EXPECT_NEAR(fast.fans().fan(0).actualRpm, 5700, 1);
    EXPECT_GT(slow.sensors().cpuAverage, stockCpu);
    EXPECT_LT(fast.sensors().cpuAverage, stockCpu);
    EXPECT_LT(fast.sensors().cpuAverage, slow.sensors().cpuAverage - 5) << "airflow cools";
    EXPECT_LT(fast.cpuWatts(), slow.cpuWatts() + 20) << "and the starved Mac throttles";
    EXPECT_GT(fast.cpuWatts(), slow.cpuWatts());
    EXPECT_TRUE(fast.fans().customPolicyActive());

    ASSERT_TRUE(mac.fans().setFixedRpm(1, 300));
    EXPECT_EQ(*mac.fans().fan(1).fixedRpm, 1200) << "a running fan is held at least at its minimum";
    EXPECT_FALSE(mac.fans().setFixedRpm(2, 2000));
    EXPECT_FALSE(mac.fans().setMode(-1, FanMode::Manual));
    mac.fans().resetToAuto();
    EXPECT_FALSE(mac.fans().customPolicyActive());
}

TEST(FanModel, FanlessMacThrottlesInsteadOfOverheating)
{
    SimulatedMac mac(MachineProfile::fanlessLaptop(), vantrel::test::kSimStartEpoch);
    EXPECT_EQ(mac.fans().count(), 0);
    mac.setLoad(100, 100);
    mac.step(1800);
    EXPECT_LT(mac.sensors().cpuAverage, mac.profile().throttleCelsius + 6);
    EXPECT_LT(mac.cpuWatts(), mac.profile().cpuIdleWatts + mac.profile().cpuMaxWatts * 0.9);
    EXPECT_EQ(mac.fans().airflow(), 0);
}
