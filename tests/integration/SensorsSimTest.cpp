// The sensor and power-source readers against a running vantrel-sim: the smc tool through bash
// as the application runs it, the native SMC reader over the simulator's user client, and the
// simulated battery's power-source facts, all agreeing with what the daemon reports.
#include <QJsonArray>

#include <gtest/gtest.h>

#include "SimProcess.h"
#include "platform/linux/LinuxProcessRunner.h"
#include "platform/sim/SimHardwareState.h"
#include "platform/sim/SimSmcUserClient.h"
#include "power/PowerSourceMonitor.h"
#include "sensors/NativeSMC.h"
#include "sensors/SMCHelper.h"

using namespace vantrel;

TEST(SensorsSim, LaptopSensorsFansAndBatteryAgreeWithTheDaemon)
{
    test::TempDir dir;
    test::SimProcess sim(dir);
    ASSERT_TRUE(sim.start());
    ASSERT_EQ(sim.ctl({"adapter", "connected=true"}), 0);
    ASSERT_EQ(sim.ctl({"load", "cpu_percent=90"}), 0);
    ASSERT_EQ(sim.ctl({"step", "seconds=120"}), 0);

    // The smc tool finds the simulator's key store through the environment it inherits.
    qputenv("VANTREL_SIM_STATE_DIR", sim.stateDirectory().toLocal8Bit());
    const auto smc
        = std::make_shared<SMCHelper>(std::make_shared<LinuxProcessRunner>(), test::builtBinary("vantrel-smc"));
    smc->refreshAll();
    qunsetenv("VANTREL_SIM_STATE_DIR");
    const SMCHelper::Caches c = smc->snapshot();
    const QJsonObject status = sim.call("get_status");
    EXPECT_NEAR(c.cpuTemp, status["cpu_temp"].toDouble(), 0.01);
    EXPECT_GT(c.cpuTemp, 50.0) << "a loaded CPU is warm";
    EXPECT_NEAR(c.fan0, status["fan0"].toInt(), 1.0);
    EXPECT_NEAR(c.fan1, status["fan1"].toInt(), 1.0);
    EXPECT_GT(c.fan0, 0);
    for (const QString& key : SMCHelper::keysToRead())
        EXPECT_TRUE(c.values.contains(key)) << "the simulated laptop has " << key.toStdString();
    EXPECT_EQ(c.readings.size(), SMCHelper::sensorMap().size()) << "every catalogue sensor is a plausible reading";
    EXPECT_GT(c.values.value("PSTR"), c.values.value("PCPC"));
    EXPECT_GT(c.values.value("PCPC"), 0.0);

    // The native reader decodes the same key store from its binary encodings.
    NativeSMC native(std::make_shared<SimSmcUserClient>(sim.stateDirectory()));
    ASSERT_TRUE(native.getValue("TG0D"));
    EXPECT_NEAR(*native.getValue("TG0D"), c.values.value("TG0D"), 0.01);
    const QJsonArray maxima = sim.call("get_hardware_profile")["fan_max_rpm"].toArray();
    ASSERT_EQ(maxima.size(), 2);
    EXPECT_EQ(native.getMaxFanRPM(0), maxima[0].toInt());
    EXPECT_EQ(native.getMaxFanRPM(1), maxima[1].toInt());

    // The power-source facts follow the simulated battery and adapter.
    const auto hardware = std::make_shared<SimHardwareState>(sim.stateDirectory());
    PowerSourceMonitor power(hardware, hardware, hardware, smc);
    const int percent = sim.call("get_power_policy_state")["battery_percent"].toInt(-1);
    PowerSourceInfo info = power.read();
    EXPECT_EQ(info.batteryPercent, percent);
    EXPECT_EQ(power.pmsetBatteryPercent(), percent);
    EXPECT_EQ(power.externalPowerConnected(), true);
    EXPECT_EQ(info.powerSourceState, QStringLiteral("AC Power"));
    EXPECT_TRUE(info.batteryMaximumCapacityPercent);
    EXPECT_TRUE(power.batteryTemperature());

    ASSERT_EQ(sim.ctl({"adapter", "connected=false"}), 0);
    ASSERT_EQ(sim.ctl({"step", "seconds=600"}), 0);
    info = power.read();
    EXPECT_EQ(power.externalPowerConnected(), false);
    EXPECT_FALSE(info.isCharging);
    EXPECT_EQ(info.powerSourceState, QStringLiteral("Battery Power"));
    EXPECT_EQ(info.batteryPercent, sim.call("get_power_policy_state")["battery_percent"].toInt(-1));
    EXPECT_LE(info.batteryPercent, percent) << "ten minutes on the battery do not charge it";
}

// With the simulator's clock standing still, what the application reads changes with each
// control command alone.
TEST(SensorsSim, PowerSourcesFollowEachControlCommandWithoutAStep)
{
    test::TempDir dir;
    test::SimProcess sim(dir);
    ASSERT_TRUE(sim.start());
    ASSERT_EQ(sim.ctl({"step", "seconds=5"}), 0);
    qputenv("VANTREL_SIM_STATE_DIR", sim.stateDirectory().toLocal8Bit());
    const auto smc
        = std::make_shared<SMCHelper>(std::make_shared<LinuxProcessRunner>(), test::builtBinary("vantrel-smc"));
    const auto hardware = std::make_shared<SimHardwareState>(sim.stateDirectory());
    PowerSourceMonitor power(hardware, hardware, hardware, smc);
    smc->refreshAll();
    ASSERT_TRUE(power.read().isCharging) << "72 % on the adapter charges";

    ASSERT_EQ(sim.ctl({"adapter", "connected=false"}), 0);
    smc->refreshAll();
    PowerSourceInfo info = power.read();
    EXPECT_EQ(info.powerSourceState, QStringLiteral("Battery Power"));
    EXPECT_FALSE(info.isCharging);
    EXPECT_TRUE(info.timeToEmpty);
    EXPECT_FALSE(info.timeToFull);
    EXPECT_EQ(info.adapterCurrent.value_or(-1), 0.0);
    EXPECT_EQ(power.localBatteryActivity().activityState, "dashboard.battery_activity.on_battery");

    ASSERT_EQ(sim.ctl({"adapter", "connected=true"}), 0);
    info = power.read();
    EXPECT_TRUE(info.isCharging);
    EXPECT_TRUE(info.timeToFull);
    EXPECT_EQ(power.localBatteryActivity().activityState, "dashboard.battery_activity.charging");

    // A battery that reads 100 % on the adapter is full.
    ASSERT_EQ(sim.ctl({"battery", "percent=99.7"}), 0);
    EXPECT_EQ(power.pmsetBatteryPercent(), 100);
    EXPECT_FALSE(power.read().isCharging);
    EXPECT_EQ(power.localBatteryActivity().activityState, "dashboard.battery_activity.full");
    qunsetenv("VANTREL_SIM_STATE_DIR");
}
