#include "node/power/PowerSupplies.h"

#include <gtest/gtest.h>

#include <QFile>

#include "node/support/FakeSysfsTree.h"
#include "support/TempDir.h"

namespace vantrel::node {
namespace {

using test::FakeSysfsTree;

TEST(PowerSupplies, ThinkpadEnergyBatteryOnMains)
{
    test::TempDir dir;
    FakeSysfsTree::thinkpadLaptop(dir.path());
    const PowerSupplies supplies(dir.path());

    const auto b = supplies.battery();
    ASSERT_TRUE(b);
    EXPECT_EQ(b->name, QStringLiteral("BAT0"));
    EXPECT_TRUE(b->present);
    EXPECT_EQ(b->percent, 79);
    EXPECT_EQ(b->status, QStringLiteral("Not charging"));
    EXPECT_EQ(b->cycleCount, 312);
    EXPECT_DOUBLE_EQ(b->voltageV, 12.73);
    EXPECT_DOUBLE_EQ(b->currentA, 0.0); // from power_now 0 at 12.73 V
    EXPECT_DOUBLE_EQ(b->powerW, 0.0);
    EXPECT_TRUE(std::isnan(b->temperatureC)); // thinkpad_acpi gives no battery temperature
    // µWh at the design voltage of 11.52 V.
    EXPECT_EQ(b->designCapacityMah, 4947);
    EXPECT_EQ(b->fullChargeCapacityMah, 3916);

    const AdapterReading a = supplies.adapter();
    EXPECT_TRUE(a.connected);
    EXPECT_EQ(a.name, QStringLiteral("AC"));
    EXPECT_TRUE(std::isnan(a.watts)); // ACPI mains adapters report no voltage or current
}

TEST(PowerSupplies, DellChargeBatteryDischargingCountsCurrentNegative)
{
    test::TempDir dir;
    FakeSysfsTree::dellLaptop(dir.path());
    const PowerSupplies supplies(dir.path());

    const auto b = supplies.battery();
    ASSERT_TRUE(b);
    EXPECT_EQ(b->percent, 64);
    EXPECT_EQ(b->status, QStringLiteral("Discharging"));
    // ACPI reports the magnitude; discharging makes it negative.
    EXPECT_DOUBLE_EQ(b->currentA, -1.152);
    EXPECT_NEAR(b->powerW, 1.152 * 11.982, 1e-9);
    EXPECT_EQ(b->designCapacityMah, 3500);
    EXPECT_EQ(b->fullChargeCapacityMah, 3216);
    EXPECT_EQ(b->cycleCount, 0);
    EXPECT_FALSE(supplies.adapter().connected);
}

TEST(PowerSupplies, FrameworkAdapterIsTheUsbCPortThatFeedsIt)
{
    test::TempDir dir;
    FakeSysfsTree::frameworkLaptop(dir.path());
    const PowerSupplies supplies(dir.path());

    const AdapterReading a = supplies.adapter();
    EXPECT_TRUE(a.connected);
    EXPECT_EQ(a.name, QStringLiteral("ucsi-source-psy-USBC000:002"));
    EXPECT_DOUBLE_EQ(a.watts, 60.0); // 20 V × 3 A now, not the 65 W contract

    const auto b = supplies.battery();
    ASSERT_TRUE(b);
    EXPECT_EQ(b->name, QStringLiteral("BAT1"));
    EXPECT_EQ(b->percent, 42);
    EXPECT_DOUBLE_EQ(b->powerW, 41.18);
    EXPECT_NEAR(b->currentA, 41.18 / 16.94, 1e-9);
    EXPECT_GT(b->currentA, 0);
    EXPECT_EQ(b->designCapacityMah, 3940);

    // Unplugged: every supply offline. A port that reports only its contract still gives watts.
    FakeSysfsTree::supply(dir.path(), QStringLiteral("ucsi-source-psy-USBC000:002"),
                          {{"online", "0"}, {"voltage_now", "5000000"}, {"current_now", "0"}});
    FakeSysfsTree::supply(dir.path(), QStringLiteral("ACAD"), {{"online", "0"}});
    FakeSysfsTree::supply(dir.path(), QStringLiteral("ucsi-source-psy-USBC000:004"),
                          {{"online", "1"}, {"voltage_max", "15000000"}, {"current_max", "3000000"}});
    PowerSupplies again(dir.path());
    EXPECT_TRUE(again.adapter().connected);
    EXPECT_EQ(again.adapter().name, QStringLiteral("ucsi-source-psy-USBC000:004"));
    EXPECT_DOUBLE_EQ(again.adapter().watts, 45.0);
    FakeSysfsTree::supply(dir.path(), QStringLiteral("ucsi-source-psy-USBC000:004"), {{"online", "0"}});
    again.refresh();
    EXPECT_FALSE(again.adapter().connected);
    EXPECT_TRUE(again.adapter().name.isEmpty());
}

TEST(PowerSupplies, AppleSiliconPercentFromCapacityNotFromChargeFigures)
{
    test::TempDir dir;
    FakeSysfsTree::appleSiliconMac(dir.path());
    PowerSupplies supplies(dir.path());

    const auto b = supplies.battery();
    ASSERT_TRUE(b);
    EXPECT_EQ(b->name, QStringLiteral("macsmc-battery"));
    EXPECT_EQ(b->percent, 73);
    EXPECT_DOUBLE_EQ(b->currentA, -1.253);
    EXPECT_DOUBLE_EQ(b->powerW, 15.19);
    EXPECT_DOUBLE_EQ(b->temperatureC, 30.6);
    EXPECT_EQ(b->cycleCount, 214);
    EXPECT_EQ(b->designCapacityMah, 4382);
    EXPECT_EQ(b->fullChargeCapacityMah, 4127);
    EXPECT_FALSE(supplies.adapter().connected);
    EXPECT_EQ(supplies.adapter().name, QString());

    // Without capacity there is no percent, rather than one computed from charge_now.
    QFile::remove(dir.file(QStringLiteral("sys/class/power_supply/macsmc-battery/capacity")));
    supplies.refresh();
    ASSERT_TRUE(supplies.battery());
    EXPECT_EQ(supplies.battery()->percent, -1);
}

TEST(PowerSupplies, TwoThinkpadBatteriesReadAsOne)
{
    test::TempDir dir;
    FakeSysfsTree::thinkpadTwoBatteries(dir.path());
    PowerSupplies supplies(dir.path());
    const QString bat0 = QStringLiteral("sys/class/power_supply/BAT0/");
    const QString bat1 = QStringLiteral("sys/class/power_supply/BAT1/");

    auto b = supplies.battery();
    ASSERT_TRUE(b);
    EXPECT_EQ(b->name, QStringLiteral("BAT0+BAT1"));
    EXPECT_TRUE(b->present);
    // 80 % of 22.2 Wh and 40 % of 64.8 Wh: 50 %, not BAT0's 80 % nor the plain mean of 60 %.
    EXPECT_EQ(b->percent, 50);
    EXPECT_EQ(b->status, QStringLiteral("Charging"));
    EXPECT_EQ(b->cycleCount, 402);
    EXPECT_DOUBLE_EQ(b->powerW, 30.1);
    EXPECT_DOUBLE_EQ(b->voltageV, 11.93) << "the voltage of the battery being charged";
    EXPECT_NEAR(b->currentA, 30.1 / 11.93, 1e-9);
    EXPECT_EQ(b->designCapacityMah, 2098 + 6666);
    EXPECT_EQ(b->fullChargeCapacityMah, 1937 + 6000);

    // Charge figures weigh by charge_full × voltage_min_design: 6 Ah at 10.8 V is the same 64.8 Wh.
    QFile::remove(dir.file(bat1 + QStringLiteral("energy_full")));
    FakeSysfsTree::write(dir.path(), bat1 + QStringLiteral("charge_full"), "6000000\n");
    supplies.refresh();
    EXPECT_EQ(supplies.battery()->percent, 50);
    // Without a size for BAT1 the batteries count alike.
    QFile::remove(dir.file(bat1 + QStringLiteral("voltage_min_design")));
    supplies.refresh();
    EXPECT_EQ(supplies.battery()->percent, 60);
    EXPECT_EQ(supplies.battery()->fullChargeCapacityMah, 1937 + 6000) << "charge_full is mAh already";
    EXPECT_EQ(supplies.battery()->designCapacityMah, 2098 + 6035) << "BAT1's design energy at 11.93 V now";

    // On battery the internal one idles while the external one drains.
    FakeSysfsTree::write(dir.path(), bat0 + QStringLiteral("status"), "Unknown\n");
    FakeSysfsTree::write(dir.path(), bat1 + QStringLiteral("status"), "Discharging\n");
    FakeSysfsTree::write(dir.path(), QStringLiteral("sys/class/power_supply/AC/online"), "0\n");
    supplies.refresh();
    b = supplies.battery();
    EXPECT_EQ(b->status, QStringLiteral("Discharging"));
    EXPECT_LT(b->currentA, 0);
    EXPECT_FALSE(supplies.adapter().connected);
    FakeSysfsTree::write(dir.path(), bat0 + QStringLiteral("status"), "Full\n");
    FakeSysfsTree::write(dir.path(), bat1 + QStringLiteral("status"), "Full\n");
    supplies.refresh();
    EXPECT_EQ(supplies.battery()->status, QStringLiteral("Full"));
    FakeSysfsTree::write(dir.path(), bat1 + QStringLiteral("status"), "Not charging\n");
    supplies.refresh();
    EXPECT_EQ(supplies.battery()->status, QStringLiteral("Full")) << "neither charges nor drains: BAT0's word";

    // One battery's level unknown makes the whole level unknown.
    QFile::remove(dir.file(bat1 + QStringLiteral("capacity")));
    supplies.refresh();
    EXPECT_EQ(supplies.battery()->percent, -1);

    // The swappable battery taken out: BAT0 alone, as it reads.
    FakeSysfsTree::write(dir.path(), bat1 + QStringLiteral("present"), "0\n");
    supplies.refresh();
    b = supplies.battery();
    EXPECT_EQ(b->name, QStringLiteral("BAT0"));
    EXPECT_EQ(b->percent, 80);
    EXPECT_EQ(b->cycleCount, 187);
}

TEST(PowerSupplies, DesktopHasNoBatteryAndAbsentBatteriesAreSkipped)
{
    test::TempDir dir;
    FakeSysfsTree::desktop(dir.path());
    PowerSupplies supplies(dir.path());
    EXPECT_FALSE(supplies.battery()); // the mouse's battery is not the system's
    EXPECT_FALSE(supplies.adapter().connected);

    // An empty bay (present 0) is skipped for the next battery.
    FakeSysfsTree::supply(dir.path(), QStringLiteral("BAT0"), {{"type", "Battery"}, {"present", "0"}});
    FakeSysfsTree::supply(dir.path(), QStringLiteral("BAT1"),
                          {{"type", "Battery"}, {"present", "1"}, {"status", "Charging"}, {"capacity", "12"}});
    supplies.refresh();
    ASSERT_TRUE(supplies.battery());
    EXPECT_EQ(supplies.battery()->name, QStringLiteral("BAT1"));
    EXPECT_EQ(supplies.battery()->percent, 12);
    // No adapter folder: the charger status says the machine is on external power.
    EXPECT_TRUE(supplies.adapter().connected);

    // No tree at all (wrong root) is an answer too.
    const PowerSupplies none(dir.file(QStringLiteral("missing")));
    EXPECT_FALSE(none.battery());
    EXPECT_FALSE(none.adapter().connected);
}

TEST(PowerSupplies, GarbageAttributesGiveNoReading)
{
    test::TempDir dir;
    FakeSysfsTree::supply(dir.path(), QStringLiteral("BAT0"),
                          {{"type", "Battery"},
                           {"capacity", "lots"},
                           {"current_now", ""},
                           {"voltage_now", "-5"},
                           {"cycle_count", "-1"},
                           {"temp", "abc"}});
    const PowerSupplies supplies(dir.path());
    const auto b = supplies.battery();
    ASSERT_TRUE(b);
    EXPECT_EQ(b->percent, -1);
    EXPECT_EQ(b->status, QStringLiteral("Unknown"));
    EXPECT_TRUE(std::isnan(b->currentA));
    EXPECT_TRUE(std::isnan(b->voltageV));
    EXPECT_TRUE(std::isnan(b->temperatureC));
    EXPECT_TRUE(std::isnan(b->powerW));
    EXPECT_EQ(b->cycleCount, -1);
    EXPECT_EQ(b->designCapacityMah, -1);
}

} // namespace
} // namespace vantrel::node
