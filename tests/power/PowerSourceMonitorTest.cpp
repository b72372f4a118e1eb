#include "power/PowerSourceMonitor.h"

#include <gtest/gtest.h>

#include "platform/fakes/FakePowerServices.h"
#include "platform/fakes/FakeProcessRunner.h"

namespace vantrel {
namespace {

struct Monitor {
    std::shared_ptr<test::FakePowerSources> sources = std::make_shared<test::FakePowerSources>();
    std::shared_ptr<test::FakeBatteryRegistry> registry = std::make_shared<test::FakeBatteryRegistry>();
    std::shared_ptr<test::FakePmsetBattery> pmset = std::make_shared<test::FakePmsetBattery>();
    std::shared_ptr<test::FakeProcessRunner> smcTool = std::make_shared<test::FakeProcessRunner>();
    std::shared_ptr<SMCHelper> smc = std::make_shared<SMCHelper>(smcTool, QStringLiteral("/usr/local/vantrel/smc"));
    PowerSourceMonitor monitor{sources, registry, pmset, smc};

    void smcOutput(const QByteArray& text)
    {
        smcTool->setOutput(text);
        smc->refreshAll();
    }
};

const QJsonObject kLaptopOnBattery{
    {"Current Capacity", 76}, {"Max Capacity", 100}, {"Is Charging", false},    {"Power Source State", "Battery Power"},
    {"Time to Empty", 312},   {"Voltage", 12391},    {"BatteryHealth", "Good"}, {"Cycle Count", 98}};

TEST(PowerSourceMonitor, FullReadCombinesDescriptionRegistryAndSmcCaches)
{
    Monitor m;
    m.sources->description = kLaptopOnBattery;
    m.registry->properties = QJsonObject{{"CycleCount", 212}, {"DesignCapacity", 5000}, {"AppleRawMaxCapacity", 4500}};
    m.smcOutput("PSTR [flt ] 14.5 (x)\nPCPC [flt ] 3.25 (x)\nTB0T [sp78] 31 (x)\nTB1T [sp78] 33 (x)\n");

    const PowerSourceInfo info = m.monitor.read();
    EXPECT_FALSE(info.isCharging);
    EXPECT_EQ(info.batteryPercent, 76);
    EXPECT_EQ(info.cycleCount, 212); // the registry wins over the description
    EXPECT_EQ(info.designCapacity, 5000);
    EXPECT_EQ(info.currentCapacity, 4500);
    EXPECT_DOUBLE_EQ(*info.batteryMaximumCapacityPercent, 90.0);
    EXPECT_EQ(info.powerSourceState, QStringLiteral("Battery Power"));
    EXPECT_EQ(info.adapterType, QStringLiteral("Battery Power"));
    EXPECT_FALSE(info.adapterWatts);
    EXPECT_DOUBLE_EQ(*info.voltage, 12391.0);
    EXPECT_DOUBLE_EQ(*info.systemPowerWatts, 14.5);
    EXPECT_DOUBLE_EQ(*info.cpuPackagePowerWatts, 3.25);
    EXPECT_FALSE(info.adapterCurrent);
    EXPECT_DOUBLE_EQ(*info.temperature, 32.0);
    EXPECT_EQ(info.timeToEmpty, 312);
    EXPECT_FALSE(info.timeToFull);
    EXPECT_EQ(info.condition, QStringLiteral("Good"));

    // Without a registry entry the description's cycle count stands in and the health is absent.
    m.registry->properties.reset();
    const PowerSourceInfo noRegistry = m.monitor.read();
    EXPECT_EQ(noRegistry.cycleCount, 98);
    EXPECT_EQ(noRegistry.designCapacity, 0);
    EXPECT_FALSE(noRegistry.batteryMaximumCapacityPercent);
    EXPECT_TRUE(m.monitor.batteryRegistryProperties().isEmpty());
}

TEST(PowerSourceMonitor, NoPowerSourceGivesTheDesktopDefaults)
{
    Monitor m;
    m.smcOutput("ACID [flt ] 2.5 (x)\n");
    const PowerSourceInfo info = m.monitor.read();
    EXPECT_EQ(info.batteryPercent, 100);
    EXPECT_EQ(info.condition, QStringLiteral("Unknown"));
    EXPECT_FALSE(info.isCharging);
    EXPECT_FALSE(info.powerSourceState || info.voltage || info.temperature || info.batteryMaximumCapacityPercent);
    EXPECT_DOUBLE_EQ(*info.adapterCurrent, 2.5);
    EXPECT_EQ(m.pmset->runs, 0); // the full read does not ask pmset

    // The light read falls back to pmset's percentage, else 100.
    m.pmset->setOutput(
        "Now drawing from 'AC Power'\n -InternalBattery-0 (id=1)\t87%; charging; 0:40 remaining present: true\n");
    EXPECT_EQ(m.monitor.readChargeSnapshot().batteryPercent, 87);
    m.pmset->setOutput("Now drawing from 'AC Power'\n");
    EXPECT_EQ(m.monitor.readChargeSnapshot().batteryPercent, 100);
    EXPECT_FALSE(m.monitor.currentBatteryPercent());
    EXPECT_FALSE(m.monitor.externalPowerConnected());
    EXPECT_EQ(m.monitor.localBatteryActivity().powerSource, QStringLiteral("unknown"));
    EXPECT_EQ(m.monitor.localBatteryActivity().activityState, QStringLiteral("unknown"));
}

TEST(PowerSourceMonitor, CapacityHealthBounds)
{
    const auto health = PowerSourceMonitor::batteryMaximumCapacityPercent;
    EXPECT_DOUBLE_EQ(*health(4500, 5000), 90.0);
    EXPECT_NEAR(*health(4999, 5000), 99.98, 1e-9);
    EXPECT_DOUBLE_EQ(*health(5500, 5000), 100.0); // capped
    EXPECT_DOUBLE_EQ(*health(6000, 5000), 100.0); // ratio 1.2 exactly is still plausible
    EXPECT_FALSE(health(6500, 5000)); // ratio 1.3 is outside 0.1…1.2
    EXPECT_FALSE(health(400, 5000));
    EXPECT_FALSE(health(6100, 5000)); // ratio 1.22
    EXPECT_FALSE(health(4500, std::nullopt));
    EXPECT_FALSE(health(-4500, -5000));
    EXPECT_FALSE(health(30001, 30000));
    EXPECT_DOUBLE_EQ(*health(3000, 30000), 10.0);
}

TEST(PowerSourceMonitor, LightReadPercentExternalPowerAndActivity)
{
    Monitor m;
    m.sources->description = QJsonObject{{"Current Capacity", 45},    {"Max Capacity", 90},
                                         {"Is Charging", true},       {"Power Source State", "AC Power"},
                                         {"AdapterDetailsWatts", 96}, {"AdapterDetailsDescription", "pd charger"},
                                         {"Time to Full Charge", 55}};
    m.registry->properties = QJsonObject{{"DesignCapacity", 5000}};
    PowerSourceInfo snapshot = m.monitor.readChargeSnapshot();
    EXPECT_EQ(snapshot.batteryPercent, 50);
    EXPECT_TRUE(snapshot.isCharging);
    EXPECT_EQ(snapshot.adapterWatts, 96);
    EXPECT_EQ(snapshot.adapterType, QStringLiteral("pd charger"));
    EXPECT_EQ(snapshot.timeToFull, 55);
    EXPECT_EQ(snapshot.designCapacity, 0); // the light read leaves health alone
    EXPECT_EQ(m.monitor.currentBatteryPercent(), 50);
    EXPECT_EQ(m.monitor.externalPowerConnected(), true);
    EXPECT_EQ(m.monitor.localBatteryActivity().activityState, QStringLiteral("dashboard.battery_activity.charging"));

    QJsonObject d{{"Current Capacity", 45}, {"Max Capacity", 40}};
    m.sources->description = d;
    EXPECT_EQ(m.monitor.readChargeSnapshot().batteryPercent, 45);
    EXPECT_EQ(m.monitor.currentBatteryPercent(), 45);
    EXPECT_FALSE(m.monitor.externalPowerConnected()); // no state, no adapter watts
    EXPECT_EQ(m.monitor.localBatteryActivity().powerSource, QStringLiteral("unknown"));
    EXPECT_EQ(m.monitor.localBatteryActivity().activityState, QStringLiteral("dashboard.battery_activity.on_battery"));

    d.insert(QStringLiteral("Power Adapter Watts"), 0);
    m.sources->description = d;
    EXPECT_EQ(m.monitor.externalPowerConnected(), false);
    d.insert(QStringLiteral("Power Source State"), QStringLiteral("AC Power"));
    m.sources->description = d;
    EXPECT_EQ(m.monitor.externalPowerConnected(), true);
    EXPECT_EQ(m.monitor.localBatteryActivity().activityState, QStringLiteral("dashboard.battery_activity.ac_power"));
    d.insert(QStringLiteral("Is Charged"), true);
    m.sources->description = d;
    EXPECT_EQ(m.monitor.localBatteryActivity().activityState, QStringLiteral("dashboard.battery_activity.full"));

    // Mistyped or absurd values read as missing.
    m.sources->description = QJsonObject{{"Current Capacity", "80"}, {"Max Capacity", 0}, {"Is Charging", 1}};
    EXPECT_FALSE(m.monitor.currentBatteryPercent());
    EXPECT_EQ(m.monitor.readChargeSnapshot().batteryPercent, 0);
    EXPECT_FALSE(m.monitor.readChargeSnapshot().isCharging);
    m.sources->description = QJsonObject{{"Current Capacity", 1e300}};
    EXPECT_FALSE(m.monitor.currentBatteryPercent());
    m.sources->description = QJsonObject{{"Current Capacity", 57.9}};
    EXPECT_EQ(m.monitor.currentBatteryPercent(), 57);
}

TEST(PowerSourceMonitor, PmsetPercentage)
{
    const auto percent = [](const QByteArray& text, int exit = 0) {
        return PowerSourceMonitor::pmsetPercent(ProcessResult{true, exit, text});
    };
    EXPECT_EQ(
        percent(
            "Now drawing from 'Battery Power'\n -InternalBattery-0 (id=4653155)\t87%; discharging; 4:12 remaining\n"),
        87);
    EXPECT_EQ(percent("a 100% b 5%"), 100);
    EXPECT_FALSE(percent("Now drawing from 'AC Power'\n"));
    EXPECT_FALSE(percent("87%", 1));
    EXPECT_FALSE(percent("99999999999999999999%"));
    EXPECT_FALSE(percent("\xff\xfe 87%"));
    EXPECT_FALSE(PowerSourceMonitor::pmsetPercent(ProcessResult{}));
}

TEST(PowerSourceMonitor, RecordRoundTripsWithOnlyPresentOptionals)
{
    PowerSourceInfo info;
    info.isCharging = true;
    info.batteryPercent = 80;
    info.cycleCount = 12;
    info.batteryMaximumCapacityPercent = 97.5;
    info.powerSourceState = QStringLiteral("AC Power");
    info.adapterWatts = 140;
    info.temperature = 31.25;
    info.timeToFull = 20;
    const QJsonObject json = info.toJson();
    EXPECT_FALSE(json.contains(QStringLiteral("voltage")));
    EXPECT_FALSE(json.contains(QStringLiteral("timeToEmpty")));
    EXPECT_EQ(PowerSourceInfo::fromJson(json), info);
    EXPECT_EQ(PowerSourceInfo::fromJson(PowerSourceInfo().toJson()), PowerSourceInfo());

    QJsonObject nulls = json;
    nulls.insert(QStringLiteral("voltage"), QJsonValue::Null);
    EXPECT_EQ(PowerSourceInfo::fromJson(nulls), info);
    QJsonObject mistyped = json;
    mistyped.insert(QStringLiteral("adapterWatts"), QStringLiteral("140"));
    EXPECT_FALSE(PowerSourceInfo::fromJson(mistyped));
    QJsonObject missing = json;
    missing.remove(QStringLiteral("condition"));
    EXPECT_FALSE(PowerSourceInfo::fromJson(missing));
}

} // namespace
} // namespace vantrel
