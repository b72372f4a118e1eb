#include "platform/linux/LinuxPowerSupply.h"

#include <gtest/gtest.h>

#include "support/TempDir.h"

namespace vantrel {
namespace {

// Writes one supply folder: name → {attribute → value}.
void supply(const test::TempDir& dir, const QString& name,
            std::initializer_list<std::pair<const char*, const char*>> attrs)
{
    for (const auto& [key, value] : attrs)
        dir.write(QStringLiteral("ps/") + name + QLatin1Char('/') + QLatin1String(key), QByteArray(value) + "\n");
}

LinuxPowerSupply reader(const test::TempDir& dir) { return LinuxPowerSupply(dir.file(QStringLiteral("ps"))); }

TEST(LinuxPowerSupply, ChargingLaptopWithChargeFigures)
{
    test::TempDir dir;
    supply(dir, QStringLiteral("AC"), {{"type", "Mains"}, {"online", "1"}});
    supply(dir, QStringLiteral("BAT0"),
           {{"type", "Battery"},
            {"present", "1"},
            {"status", "Charging"},
            {"capacity", "54"},
            {"charge_now", "2700000"},
            {"charge_full", "4500000"},
            {"charge_full_design", "5000000"},
            {"current_now", "1500000"},
            {"voltage_now", "12400000"},
            {"cycle_count", "123"},
            {"health", "Good"},
            {"temp", "312"}});
    // A wireless mouse's battery is not the system's.
    supply(dir, QStringLiteral("hidpp_battery_0"),
           {{"type", "Battery"}, {"scope", "Device"}, {"capacity", "5"}, {"status", "Discharging"}});
    const auto r = reader(dir);

    const auto d = r.firstPowerSourceDescription();
    ASSERT_TRUE(d);
    EXPECT_EQ(d->value("Current Capacity").toInt(), 54);
    EXPECT_EQ(d->value("Max Capacity").toInt(), 100);
    EXPECT_TRUE(d->value("Is Charging").toBool());
    EXPECT_FALSE(d->value("Is Charged").toBool());
    EXPECT_EQ(d->value("Power Source State").toString(), QStringLiteral("AC Power"));
    EXPECT_EQ(d->value("Time to Full Charge").toInt(), 72); // 1.8 Ah left at 1.5 A
    EXPECT_FALSE(d->contains("Time to Empty"));
    EXPECT_EQ(d->value("Voltage").toInt(), 12400);
    EXPECT_EQ(d->value("BatteryHealth").toString(), QStringLiteral("Good"));

    const auto reg = r.smartBatteryProperties();
    ASSERT_TRUE(reg);
    EXPECT_EQ(reg->value("CycleCount").toInt(), 123);
    EXPECT_EQ(reg->value("DesignCapacity").toInt(), 5000);
    EXPECT_EQ(reg->value("AppleRawMaxCapacity").toInt(), 4500);
    EXPECT_EQ(reg->value("Temperature").toInt(), 3120);

    const ProcessResult pmset = r.batteryStatus();
    EXPECT_TRUE(pmset.launched);
    EXPECT_EQ(pmset.exitStatus, 0);
    EXPECT_EQ(pmset.standardOutput,
              "Now drawing from 'AC Power'\n -InternalBattery-0 (id=0)\t54%; charging; 1:12 remaining present: true\n");
}

TEST(LinuxPowerSupply, TwoBatteriesShowAsOne)
{
    test::TempDir dir;
    supply(dir, QStringLiteral("AC"), {{"type", "Mains"}, {"online", "1"}});
    supply(dir, QStringLiteral("BAT0"),
           {{"type", "Battery"},
            {"status", "Not charging"},
            {"capacity", "90"},
            {"energy_now", "18000000"},
            {"energy_full", "20000000"},
            {"power_now", "0"}});
    supply(dir, QStringLiteral("BAT1"),
           {{"type", "Battery"},
            {"status", "Charging"},
            {"capacity", "30"},
            {"energy_now", "18000000"},
            {"energy_full", "60000000"},
            {"power_now", "20000000"}});
    const auto r = reader(dir);
    const auto d = r.firstPowerSourceDescription();
    ASSERT_TRUE(d);
    EXPECT_EQ(d->value("Current Capacity").toInt(), 45) << "each battery's capacity weighted by its energy when full";
    EXPECT_TRUE(d->value("Is Charging").toBool()) << "BAT1 charges while BAT0 waits";
    EXPECT_FALSE(d->contains("Time to Full Charge")) << "one battery's rate says nothing about both";
    EXPECT_EQ(r.batteryStatus().standardOutput,
              "Now drawing from 'AC Power'\n -InternalBattery-0 (id=0)\t45%; charging; (no estimate) present: true\n");

    // One battery without a capacity makes the level of both unknown.
    supply(dir, QStringLiteral("BAT0"), {{"capacity", ""}});
    EXPECT_FALSE(reader(dir).firstPowerSourceDescription()->contains("Current Capacity"));
}

TEST(LinuxPowerSupply, DischargingLaptopWithEnergyFigures)
{
    test::TempDir dir;
    supply(dir, QStringLiteral("ADP1"), {{"type", "Mains"}, {"online", "0"}});
    supply(dir, QStringLiteral("BAT1"),
           {{"type", "Battery"},
            {"status", "Discharging"},
            {"capacity", "80"},
            {"energy_now", "40000000"},
            {"energy_full", "50000000"},
            {"energy_full_design", "57000000"},
            {"power_now", "10000000"},
            {"voltage_min_design", "11400000"},
            {"voltage_now", "11800000"},
            {"health", "Overheat"}});
    const auto r = reader(dir);
    const auto d = r.firstPowerSourceDescription();
    ASSERT_TRUE(d);
    EXPECT_EQ(d->value("Power Source State").toString(), QStringLiteral("Battery Power"));
    EXPECT_FALSE(d->value("Is Charging").toBool());
    EXPECT_EQ(d->value("Time to Empty").toInt(), 240); // 40 Wh at 10 W
    EXPECT_EQ(d->value("BatteryHealth").toString(), QStringLiteral("Check Battery"));
    const auto reg = r.smartBatteryProperties();
    EXPECT_EQ(reg->value("DesignCapacity").toInt(), 5000);
    EXPECT_EQ(reg->value("AppleRawMaxCapacity").toInt(), 4385);
    EXPECT_FALSE(reg->contains("CycleCount"));
    EXPECT_EQ(r.batteryStatus().standardOutput,
              "Now drawing from 'Battery Power'\n -InternalBattery-0 (id=0)\t80%; discharging; 4:00 remaining present: "
              "true\n");
}

TEST(LinuxPowerSupply, FullBatteryOnAppleSiliconNamesAndUsbPowerDelivery)
{
    test::TempDir dir;
    supply(dir, QStringLiteral("macsmc-ac"),
           {{"type", "Mains"}, {"online", "1"}, {"voltage_max", "20000000"}, {"current_max", "4700000"}});
    supply(dir, QStringLiteral("macsmc-battery"), {{"type", "Battery"}, {"status", "Full"}, {"capacity", "100"}});
    const auto r = reader(dir);
    const auto d = r.firstPowerSourceDescription();
    ASSERT_TRUE(d);
    EXPECT_TRUE(d->value("Is Charged").toBool());
    EXPECT_EQ(d->value("AdapterDetailsWatts").toInt(), 94);
    EXPECT_EQ(r.batteryStatus().standardOutput,
              "Now drawing from 'AC Power'\n -InternalBattery-0 (id=0)\t100%; charged; 0:00 remaining present: true\n");

    // Without a type file the folder name decides; the charger's status tells where power comes from.
    test::TempDir untyped;
    supply(untyped, QStringLiteral("BAT0"), {{"status", "Not charging"}, {"capacity", "80"}});
    const auto u = reader(untyped).firstPowerSourceDescription();
    ASSERT_TRUE(u);
    EXPECT_EQ(u->value("Power Source State").toString(), QStringLiteral("AC Power"));
    EXPECT_EQ(reader(untyped).batteryStatus().standardOutput,
              "Now drawing from 'AC Power'\n -InternalBattery-0 (id=0)\t80%; AC attached; not charging; (no estimate) "
              "present: true\n");
}

TEST(LinuxPowerSupply, AnyNonZeroOnlineIsExternalPower)
{
    // A USB-C supply in programmable mode (USB-PD PPS) reports online = 2.
    test::TempDir dir;
    supply(dir, QStringLiteral("ucsi-source-psy-USBC000:001"),
           {{"type", "USB"}, {"online", "2"}, {"voltage_max", "15000000"}, {"current_max", "3000000"}});
    supply(dir, QStringLiteral("BAT0"), {{"type", "Battery"}, {"status", "Charging"}, {"capacity", "60"}});
    const auto r = reader(dir);
    const auto d = r.firstPowerSourceDescription();
    ASSERT_TRUE(d);
    EXPECT_EQ(d->value("Power Source State").toString(), QStringLiteral("AC Power"));
    EXPECT_EQ(d->value("AdapterDetailsWatts").toInt(), 45);
    EXPECT_TRUE(r.smartBatteryProperties()->value("ExternalConnected").toBool());
    EXPECT_TRUE(r.batteryStatus().standardOutput.startsWith("Now drawing from 'AC Power'\n"));

    // Zero and unreadable values still mean unplugged.
    test::TempDir unplugged;
    supply(unplugged, QStringLiteral("ucsi-source-psy-USBC000:001"), {{"type", "USB"}, {"online", "0"}});
    supply(unplugged, QStringLiteral("AC"), {{"type", "Mains"}, {"online", "yes"}});
    supply(unplugged, QStringLiteral("BAT0"), {{"type", "Battery"}, {"status", "Discharging"}, {"capacity", "60"}});
    const auto u = reader(unplugged).firstPowerSourceDescription();
    ASSERT_TRUE(u);
    EXPECT_EQ(u->value("Power Source State").toString(), QStringLiteral("Battery Power"));
    EXPECT_FALSE(reader(unplugged).smartBatteryProperties()->value("ExternalConnected").toBool());
}

TEST(LinuxPowerSupply, NoBatteryMeansNoPowerSource)
{
    test::TempDir adapterOnly;
    supply(adapterOnly, QStringLiteral("AC0"), {{"type", "Mains"}, {"online", "1"}});
    supply(adapterOnly, QStringLiteral("BAT0"), {{"type", "Battery"}, {"present", "0"}});
    for (const LinuxPowerSupply& r :
         {reader(adapterOnly), LinuxPowerSupply(adapterOnly.file(QStringLiteral("none")))}) {
        EXPECT_FALSE(r.firstPowerSourceDescription());
        EXPECT_FALSE(r.smartBatteryProperties());
        const ProcessResult pmset = r.batteryStatus();
        EXPECT_TRUE(pmset.launched);
        EXPECT_EQ(pmset.standardOutput, "Now drawing from 'AC Power'\n");
    }
}

TEST(LinuxPowerSupply, AbsurdFiguresAreClampedOrDropped)
{
    test::TempDir dir;
    supply(dir, QStringLiteral("BAT0"),
           {{"type", "Battery"},
            {"status", "Discharging"},
            {"capacity", "250"},
            {"charge_full_design", "-1"},
            {"charge_full", "garbage"},
            {"charge_now", "100"},
            {"current_now", "0"},
            {"cycle_count", "-5"},
            {"voltage_now", "0"}});
    const auto r = reader(dir);
    const auto d = r.firstPowerSourceDescription();
    ASSERT_TRUE(d);
    EXPECT_EQ(d->value("Current Capacity").toInt(), 100);
    EXPECT_FALSE(d->contains("Time to Empty"));
    EXPECT_FALSE(d->contains("Voltage"));
    const auto reg = r.smartBatteryProperties();
    EXPECT_FALSE(reg->contains("DesignCapacity"));
    EXPECT_FALSE(reg->contains("AppleRawMaxCapacity"));
    EXPECT_FALSE(reg->contains("CycleCount"));
}

TEST(LinuxPowerSupply, WithoutCapacityThePercentIsUnknownNotComputed)
{
    // macsmc-battery reports charge_now on another scale than charge_full: a percentage from
    // them would be 900 %, and a time estimate from them days.
    test::TempDir dir;
    supply(dir, QStringLiteral("macsmc-ac"), {{"type", "Mains"}, {"online", "0"}});
    supply(dir, QStringLiteral("macsmc-battery"),
           {{"type", "Battery"},
            {"status", "Discharging"},
            {"charge_full", "4127000"},
            {"charge_now", "37180000"},
            {"current_now", "-1253000"},
            {"voltage_now", "12122000"}});
    const auto r = reader(dir);
    const auto d = r.firstPowerSourceDescription();
    ASSERT_TRUE(d);
    EXPECT_FALSE(d->contains("Current Capacity"));
    EXPECT_FALSE(d->contains("Max Capacity"));
    EXPECT_FALSE(d->contains("Time to Empty"));
    EXPECT_EQ(d->value("Power Source State").toString(), QStringLiteral("Battery Power"));
    EXPECT_EQ(
        r.batteryStatus().standardOutput,
        "Now drawing from 'Battery Power'\n -InternalBattery-0 (id=0)\tdischarging; (no estimate) present: true\n");

    // Consistent figures still give no percent of their own; an unreadable capacity is no capacity.
    test::TempDir unreadable;
    supply(unreadable, QStringLiteral("BAT0"),
           {{"type", "Battery"},
            {"status", "Discharging"},
            {"capacity", "n/a"},
            {"energy_now", "20000000"},
            {"energy_full", "40000000"},
            {"power_now", "10000000"}});
    const auto u = reader(unreadable).firstPowerSourceDescription();
    ASSERT_TRUE(u);
    EXPECT_FALSE(u->contains("Current Capacity"));
    EXPECT_EQ(u->value("Time to Empty").toInt(), 120);
    EXPECT_FALSE(reader(unreadable).batteryStatus().standardOutput.contains('%'));
}

} // namespace
} // namespace vantrel
