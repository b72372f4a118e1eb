#include <QFileInfo>

#include <gtest/gtest.h>

#include "platform/linux/LinuxProcessRunner.h"
#include "sensors/SMCHelper.h"
#include "sensors/SensorSections.h"
#include "support/TempDir.h"

namespace vantrel {
namespace {

// Reads the catalogue through the built smc tool, started by bash as in production.
TEST(SmcToolIntegration, RefreshAllReadsTheSimulatedKeysThroughTheRealTool)
{
    const QString tool = test::builtBinary(QStringLiteral("vantrel-smc"));
    if (!QFileInfo(tool).isExecutable())
        GTEST_SKIP() << "vantrel-smc is not built yet (" << tool.toStdString() << "); nothing to run against";

    test::TempDir dir;
    dir.write(QStringLiteral("state/smc-keys.txt"),
              "# written like vantrel-sim writes it\n"
              "TPMP flt_ 00006c42\n"  // 59.0
              "TCHP flt_ 00007442\n"  // 61.0
              "TG0D flt_ 00003d42\n"  // 47.25
              "TB0T sp78 1f00\n"      // 31.0
              "TB1T sp78 2100\n"      // 33.0
              "TD00 flt_ 00000000\n"  // 0.0: no reading
              "F0Ac flt_ 9ad91045\n"  // 2317.6…
              "F1Ac fpe2 1f40\n"      // 2000
              "PSTR flt_ 00004841\n"  // 12.5
              "ACID ui16 0003\n");
    qputenv("VANTREL_SIM_STATE_DIR", dir.file(QStringLiteral("state")).toLocal8Bit());
    SMCHelper helper(std::make_shared<LinuxProcessRunner>(), tool);
    helper.refreshAll();
    qunsetenv("VANTREL_SIM_STATE_DIR");

    const SMCHelper::Caches c = helper.snapshot();
    EXPECT_DOUBLE_EQ(c.cpuTemp, 59.0);
    EXPECT_EQ(c.fan0, 2317);
    EXPECT_EQ(c.fan1, 2000);
    EXPECT_DOUBLE_EQ(c.values.value(QStringLiteral("PSTR")), 12.5);
    EXPECT_DOUBLE_EQ(c.values.value(QStringLiteral("ACID")), 3.0);
    EXPECT_FALSE(c.values.contains(QStringLiteral("PCPC")));
    QStringList keys;
    for (const auto& r : c.readings)
        keys << r.key;
    EXPECT_EQ(keys, (QStringList{QStringLiteral("TPMP"), QStringLiteral("TCHP"), QStringLiteral("TG0D"), QStringLiteral("TB0T"),
                                 QStringLiteral("TB1T")}));
    EXPECT_NEAR(c.readings[2].value, 47.25, 0.01);
    EXPECT_DOUBLE_EQ(getBatteryTemperature(c.readings), 32.0);

    // Without the simulator's state, and with no sensors under the root, the tool fails for every
    // key: the readings go, nothing breaks.
    qputenv("VANTREL_SIM_STATE_DIR", dir.file(QStringLiteral("gone")).toLocal8Bit());
    qputenv("VANTREL_ROOT", dir.path().toLocal8Bit());
    helper.refreshAll();
    qunsetenv("VANTREL_SIM_STATE_DIR");
    qunsetenv("VANTREL_ROOT");
    EXPECT_TRUE(helper.cachedReadings().empty());
    EXPECT_DOUBLE_EQ(helper.cachedCPUTemp(), 45.0);
}

// Without a simulator the same tool reads this machine's sysfs sensors (here a fake tree).
TEST(SmcToolIntegration, RefreshAllReadsLinuxSensorsWhenThereIsNoSimulator)
{
    const QString tool = test::builtBinary(QStringLiteral("vantrel-smc"));
    if (!QFileInfo(tool).isExecutable())
        GTEST_SKIP() << "vantrel-smc is not built yet (" << tool.toStdString() << "); nothing to run against";

    test::TempDir root;
    const auto sys = [&](const char* relative, const char* text) {
        root.write(QStringLiteral("sys/class/") + QLatin1String(relative), text);
    };
    sys("hwmon/hwmon0/name", "coretemp\n");
    sys("hwmon/hwmon0/temp1_label", "Package id 0\n");
    sys("hwmon/hwmon0/temp1_input", "66000\n");
    sys("hwmon/hwmon0/temp2_label", "Core 0\n");
    sys("hwmon/hwmon0/temp2_input", "61000\n");
    sys("hwmon/hwmon0/temp3_label", "Core 1\n");
    sys("hwmon/hwmon0/temp3_input", "64000\n");
    sys("hwmon/hwmon1/name", "nvme\n");
    sys("hwmon/hwmon1/temp1_label", "Composite\n");
    sys("hwmon/hwmon1/temp1_input", "151000\n"); // hotter than any reading the application keeps
    sys("hwmon/hwmon2/name", "thinkpad\n");
    sys("hwmon/hwmon2/fan1_input", "3120\n");
    sys("hwmon/hwmon2/fan2_input", "2950\n");
    sys("power_supply/BAT0/type", "Battery\n");
    sys("power_supply/BAT0/status", "Discharging\n");
    sys("power_supply/BAT0/temp", "334\n");
    sys("power_supply/BAT0/power_now", "9750000\n");
    qputenv("VANTREL_ROOT", root.path().toLocal8Bit());
    qunsetenv("VANTREL_SIM_STATE_DIR");
    SMCHelper helper(std::make_shared<LinuxProcessRunner>(), tool);
    helper.refreshAll();
    qunsetenv("VANTREL_ROOT");

    const SMCHelper::Caches c = helper.snapshot();
    EXPECT_DOUBLE_EQ(c.cpuTemp, 62.5) << "the cores' average";
    EXPECT_EQ(c.fan0, 3120);
    EXPECT_EQ(c.fan1, 2950);
    EXPECT_DOUBLE_EQ(c.values.value(QStringLiteral("PSTR")), 9.75);
    EXPECT_FALSE(c.values.contains(QStringLiteral("PCPC")));
    EXPECT_DOUBLE_EQ(c.values.value(QStringLiteral("TD00")), 151.0);
    QStringList keys;
    for (const auto& r : c.readings)
        keys << r.key;
    EXPECT_EQ(keys, (QStringList{QStringLiteral("TPMP"), QStringLiteral("TPDX"), QStringLiteral("TCHP"), QStringLiteral("TB0T")}));
    ASSERT_EQ(c.readings.size(), 4u);
    EXPECT_DOUBLE_EQ(c.readings[1].value, 64.0);
    EXPECT_DOUBLE_EQ(c.readings[2].value, 66.0);
    EXPECT_NEAR(getBatteryTemperature(c.readings), 33.4, 1e-4);
}

} // namespace
} // namespace vantrel
