// The sensor, power-source and hardware-capability readers against a running vantrel-sim: the
// smc tool through bash as the application runs it, the native SMC reader over the simulator's
// user client, the simulated battery's power-source facts, and the daemon's hardware profile.
#include <memory>

#include <QJsonArray>

#include <gtest/gtest.h>

#include "base/VirtualDispatch.h"
#include "daemon/DaemonClient.h"
#include "daemon/DaemonSocketTransport.h"
#include "platform/linux/LinuxProcessRunner.h"
#include "platform/sim/SimHardwareState.h"
#include "platform/sim/SimSmcUserClient.h"
#include "power/PowerSourceMonitor.h"
#include "sensors/HardwareCapabilityStore.h"
#include "sensors/NativeSMC.h"
#include "sensors/SMCHelper.h"
#include "sensors/SensorSections.h"
#include "SimProcess.h"

using namespace vantrel;

namespace {

struct SensorsSim : ::testing::Test {
    test::TempDir dir;
    std::unique_ptr<test::SimProcess> sim;
    std::shared_ptr<SMCHelper> smc;
    std::unique_ptr<PowerSourceMonitor> power;
    std::unique_ptr<NativeSMC> native;
    VirtualDispatch dispatch;
    std::shared_ptr<DaemonClient> client;

    void start(const QStringList& arguments)
    {
        sim = std::make_unique<test::SimProcess>(dir, arguments);
        ASSERT_TRUE(sim->start());
        // The smc tool finds the simulator's key store through the environment it inherits.
        qputenv("VANTREL_SIM_STATE_DIR", sim->stateDirectory().toLocal8Bit());
        smc = std::make_shared<SMCHelper>(std::make_shared<LinuxProcessRunner>(), test::builtBinary("vantrel-smc"));
        const auto hardware = std::make_shared<SimHardwareState>(sim->stateDirectory());
        power = std::make_unique<PowerSourceMonitor>(hardware, hardware, hardware, smc);
        native = std::make_unique<NativeSMC>(std::make_shared<SimSmcUserClient>(sim->stateDirectory()));
        client = std::make_shared<DaemonClient>(std::make_shared<DaemonSocketTransport>(dispatch, sim->socketPath(), false));
    }
    void TearDown() override { qunsetenv("VANTREL_SIM_STATE_DIR"); }

    HardwareProfile loadedProfile()
    {
        HardwareCapabilityStore store(client, dispatch);
        store.refresh();
        dispatch.runUntilIdle();
        EXPECT_TRUE(store.isLoaded());
        EXPECT_EQ(store.successfulRefreshGeneration(), 1u);
        return store.profile();
    }
};

TEST_F(SensorsSim, LaptopSensorsFansAndBatteryAgreeWithTheDaemon)
{
    start({});
    ASSERT_EQ(sim->ctl({"adapter", "connected=true"}), 0);
    ASSERT_EQ(sim->ctl({"load", "cpu_percent=90"}), 0);
    ASSERT_EQ(sim->ctl({"step", "seconds=120"}), 0);

    smc->refreshAll();
    const SMCHelper::Caches c = smc->snapshot();
    const QJsonObject status = sim->call("get_status");
    EXPECT_NEAR(c.cpuTemp, status["cpu_temp"].toDouble(), 0.01);
    EXPECT_GT(c.cpuTemp, 50.0) << "a loaded CPU is warm";
    EXPECT_NEAR(c.fan0, status["fan0"].toInt(), 1.0);
    EXPECT_NEAR(c.fan1, status["fan1"].toInt(), 1.0);
    EXPECT_GT(c.fan0, 0);
    for (const QString& key : SMCHelper::keysToRead())
        EXPECT_TRUE(c.values.contains(key)) << "the simulated laptop has " << key.toStdString();
    QStringList keys;
    for (const auto& r : c.readings)
        keys << r.key;
    QStringList catalogue;
    for (const auto& row : SMCHelper::sensorMap())
        catalogue << row.key;
    EXPECT_EQ(keys, catalogue) << "every catalogue sensor of the simulated laptop is a plausible reading";
    EXPECT_GT(c.values.value("PSTR"), c.values.value("PCPC"));
    EXPECT_GT(c.values.value("PCPC"), 0.0);

    // The native reader decodes the same key store from its binary encodings.
    ASSERT_TRUE(native->getValue("TG0D"));
    EXPECT_NEAR(*native->getValue("TG0D"), c.values.value("TG0D"), 0.01);
    const QJsonArray maxima = sim->call("get_hardware_profile")["fan_max_rpm"].toArray();
    ASSERT_EQ(maxima.size(), 2);
    EXPECT_EQ(native->getMaxFanRPM(0), maxima[0].toInt());
    EXPECT_EQ(native->getMaxFanRPM(1), maxima[1].toInt());
    EXPECT_EQ(native->getMaxFanRPM(2), 0);

    // The power-source facts follow the simulated battery and adapter.
    const int percent = sim->call("get_power_policy_state")["battery_percent"].toInt(-1);
    PowerSourceInfo info = power->read();
    EXPECT_EQ(info.batteryPercent, percent);
    EXPECT_EQ(power->currentBatteryPercent(), percent);
    EXPECT_EQ(power->pmsetBatteryPercent(), percent);
    EXPECT_EQ(power->externalPowerConnected(), true);
    EXPECT_EQ(info.powerSourceState, QStringLiteral("AC Power"));
    ASSERT_TRUE(info.batteryMaximumCapacityPercent);
    EXPECT_GT(*info.batteryMaximumCapacityPercent, 50.0);
    EXPECT_LE(*info.batteryMaximumCapacityPercent, 100.0);
    EXPECT_GT(info.cycleCount, 0);
    EXPECT_NEAR(*info.systemPowerWatts, c.values.value("PSTR"), 1e-9);
    ASSERT_TRUE(power->batteryTemperature());
    EXPECT_DOUBLE_EQ(*power->batteryTemperature(), getBatteryTemperature(c.readings));

    ASSERT_EQ(sim->ctl({"adapter", "connected=false"}), 0);
    ASSERT_EQ(sim->ctl({"step", "seconds=600"}), 0);
    info = power->read();
    EXPECT_EQ(power->externalPowerConnected(), false);
    EXPECT_FALSE(info.isCharging);
    EXPECT_EQ(info.powerSourceState, QStringLiteral("Battery Power"));
    EXPECT_EQ(info.batteryPercent, sim->call("get_power_policy_state")["battery_percent"].toInt(-1));
    EXPECT_LE(info.batteryPercent, percent) << "ten minutes on the battery do not charge it";

    const HardwareProfile profile = loadedProfile();
    EXPECT_EQ(profile.fanCount, 2);
    EXPECT_TRUE(profile.hasBattery);
    EXPECT_TRUE(profile.supportsSafeFanControl);
    EXPECT_FALSE(profile.desktopClass);
}

TEST_F(SensorsSim, PowerSourcesFollowEachControlCommandWithoutAStep)
{
    start({});
    ASSERT_EQ(sim->ctl({"step", "seconds=5"}), 0);
    ASSERT_TRUE(power->read().isCharging) << "72 % on the adapter charges";

    // The manual clock stands still: what the application reads changes with the command alone.
    ASSERT_EQ(sim->ctl({"adapter", "connected=false"}), 0);
    smc->refreshAll();
    PowerSourceInfo info = power->read();
    EXPECT_EQ(info.powerSourceState, QStringLiteral("Battery Power"));
    EXPECT_FALSE(info.isCharging);
    EXPECT_TRUE(info.timeToEmpty);
    EXPECT_FALSE(info.timeToFull);
    EXPECT_EQ(info.adapterCurrent.value_or(-1), 0.0);
    EXPECT_EQ(power->localBatteryActivity().activityState, "dashboard.battery_activity.on_battery");

    ASSERT_EQ(sim->ctl({"adapter", "connected=true"}), 0);
    info = power->read();
    EXPECT_TRUE(info.isCharging);
    EXPECT_TRUE(info.timeToFull);
    EXPECT_EQ(power->localBatteryActivity().activityState, "dashboard.battery_activity.charging");

    // A battery that reads 100 % on the adapter is full.
    ASSERT_EQ(sim->ctl({"battery", "percent=99.7"}), 0);
    EXPECT_EQ(power->pmsetBatteryPercent(), 100);
    EXPECT_FALSE(power->read().isCharging);
    EXPECT_EQ(power->localBatteryActivity().activityState, "dashboard.battery_activity.full");
}

TEST_F(SensorsSim, DesktopHasOneFanAndNoBattery)
{
    start({"--model", "desktop"});
    // The stock control keeps the fan still while the CPU is cool; a loaded one starts it.
    ASSERT_EQ(sim->ctl({"load", "cpu_percent=90"}), 0);
    ASSERT_EQ(sim->ctl({"step", "seconds=300"}), 0);

    smc->refreshAll();
    const SMCHelper::Caches c = smc->snapshot();
    EXPECT_NEAR(c.fan0, sim->call("get_status")["fan0"].toInt(), 1.0);
    EXPECT_GT(c.fan0, 0);
    EXPECT_EQ(c.fan1, 0);
    for (const auto& r : c.readings)
        EXPECT_NE(r.category, QStringLiteral("Battery")) << r.key.toStdString();
    EXPECT_FALSE(c.readings.empty());
    EXPECT_DOUBLE_EQ(getBatteryTemperature(c.readings), 30.0);

    EXPECT_GT(native->getMaxFanRPM(0), 0);
    EXPECT_EQ(native->getMaxFanRPM(1), 0);

    EXPECT_FALSE(power->currentBatteryPercent());
    EXPECT_FALSE(power->batteryTemperature());
    const PowerSourceInfo info = power->read();
    EXPECT_EQ(info.batteryPercent, 100);
    EXPECT_FALSE(info.batteryMaximumCapacityPercent);

    const HardwareProfile profile = loadedProfile();
    EXPECT_EQ(profile.fanCount, 1);
    EXPECT_FALSE(profile.hasBattery);
    EXPECT_TRUE(profile.desktopClass);
}

} // namespace
