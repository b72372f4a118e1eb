// The smc tool on a Linux machine without a simulator: fake sysfs trees under VANTREL_ROOT,
// read through the built binary exactly as the application runs it.
#include <map>
#include <set>
#include <sstream>
#include <string>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

#include "support/TempDir.h"

using namespace vantrel;

namespace {

// Every key the application asks for, and the fan keys around them.
const char* const kKeys[]
    = {"TPMP", "TPDX", "TCHP", "TCMz", "TG0D", "TPVD", "TB0T", "TB1T", "TB2T", "TD00", "TD10", "TAOL",
       "Ts0P", "Ts1P", "TMVR", "F0Ac", "F1Ac", "PSTR", "PCPC", "ACID", "FNum", "F0Mx", "F1Mx", "F2Ac"};

struct ToolRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

class FakeSysfs {
public:
    void write(const QString& relative, const QByteArray& text) const { dir_.write("sys/class/" + relative, text); }
    // A sysfs entry that exists but cannot be read.
    void unreadable(const QString& relative) const { QDir().mkpath(dir_.file("sys/class/" + relative)); }
    void danglingLink(const QString& relative) const
    {
        QDir().mkpath(QFileInfo(dir_.file("sys/class/" + relative)).path());
        QFile::link(dir_.file("nowhere"), dir_.file("sys/class/" + relative));
    }
    const test::TempDir& root() const { return dir_; }

    ToolRun run(const QStringList& args) const
    {
        QProcess smc;
        auto env = QProcessEnvironment::systemEnvironment();
        env.remove("VANTREL_SIM_STATE_DIR");
        env.insert("VANTREL_ROOT", dir_.path());
        smc.setProcessEnvironment(env);
        smc.start(test::builtBinary("vantrel-smc"), args);
        if (!smc.waitForFinished(10000))
            return {};
        return ToolRun{smc.exitCode(), smc.readAllStandardOutput().toStdString(),
                       smc.readAllStandardError().toStdString()};
    }

    // Reads every key: those in expected print exactly their line, all others are not found.
    void expectReadings(const std::map<std::string, std::string>& expected) const
    {
        for (const char* key : kKeys) {
            SCOPED_TRACE(key);
            const ToolRun r = run({"-k", key, "-r"});
            const auto it = expected.find(key);
            if (it != expected.end()) {
                EXPECT_EQ(r.exitCode, 0);
                EXPECT_EQ(r.out, it->second + "\n");
                EXPECT_EQ(r.err, "");
            } else {
                EXPECT_EQ(r.exitCode, 1);
                EXPECT_EQ(r.out, "");
                EXPECT_EQ(r.err, "smc: key \"" + std::string(key) + "\" not found\n");
            }
        }
        // The listing holds exactly the same lines.
        const ToolRun list = run({"-l"});
        EXPECT_EQ(list.exitCode, 0);
        std::multiset<std::string> listed, wanted;
        std::istringstream lines(list.out);
        for (std::string line; std::getline(lines, line);)
            listed.insert(line);
        for (const auto& [key, line] : expected)
            wanted.insert(line);
        EXPECT_EQ(listed, wanted);
    }

private:
    test::TempDir dir_;
};

// A laptop with an Intel CPU, an NVMe drive, two fans on the embedded controller's chip, a
// battery on its way down, a wireless mouse's battery and a duplicate package thermal zone.
void writeIntelLaptop(const FakeSysfs& fs)
{
    fs.write("hwmon/hwmon0/name", "acpitz\n");
    fs.write("hwmon/hwmon0/temp1_input", "27800\n");
    fs.write("hwmon/hwmon1/name", "coretemp\n");
    fs.write("hwmon/hwmon1/temp1_label", "Package id 0\n");
    fs.write("hwmon/hwmon1/temp1_input", "52000\n");
    fs.write("hwmon/hwmon1/temp2_label", "Core 0\n");
    fs.write("hwmon/hwmon1/temp2_input", "48000\n");
    fs.write("hwmon/hwmon1/temp3_label", "Core 1\n");
    fs.write("hwmon/hwmon1/temp3_input", "51000\n");
    fs.write("hwmon/hwmon2/name", "nvme\n");
    fs.write("hwmon/hwmon2/temp1_label", "Composite\n");
    fs.write("hwmon/hwmon2/temp1_input", "38850\n");
    fs.write("hwmon/hwmon2/temp2_label", "Sensor 1\n");
    fs.write("hwmon/hwmon2/temp2_input", "45850\n");
    fs.write("hwmon/hwmon10/name", "dell_smm\n");
    fs.write("hwmon/hwmon10/temp1_label", "Ambient\n");
    fs.write("hwmon/hwmon10/temp1_input", "31000\n");
    fs.write("hwmon/hwmon10/fan1_input", "2317\n");
    fs.write("hwmon/hwmon10/fan1_max", "4900\n");
    fs.write("hwmon/hwmon10/fan2_input", "1985\n");
    fs.write("hwmon/hwmon10/fan2_max", "5200\n");
    fs.write("thermal/thermal_zone0/type", "x86_pkg_temp\n");
    fs.write("thermal/thermal_zone0/temp", "99000\n");
    fs.write("power_supply/AC/type", "Mains\n");
    fs.write("power_supply/AC/online", "0\n");
    fs.write("power_supply/BAT0/type", "Battery\n");
    fs.write("power_supply/BAT0/status", "Discharging\n");
    fs.write("power_supply/BAT0/temp", "305\n");
    fs.write("power_supply/BAT0/power_now", "12500000\n");
    fs.write("power_supply/hidpp_battery_0/type", "Battery\n");
    fs.write("power_supply/hidpp_battery_0/scope", "Device\n");
    fs.write("power_supply/hidpp_battery_0/temp", "250\n");
}

} // namespace

TEST(LinuxSmcKeys, IntelLaptopWithNvmeAndTwoFans)
{
    FakeSysfs fs;
    writeIntelLaptop(fs);
    // Cores average 49.5 and peak at 51; the package is the hotspot (the thermal zone, 99, is not used).
    fs.expectReadings({
        {"TPMP", "  TPMP  [flt ]  49.5 (bytes 00 00 46 42)"},
        {"TPDX", "  TPDX  [flt ]  51 (bytes 00 00 4c 42)"},
        {"TCHP", "  TCHP  [flt ]  52 (bytes 00 00 50 42)"},
        {"TB0T", "  TB0T  [flt ]  30.5 (bytes 00 00 f4 41)"},
        {"TD00", "  TD00  [flt ]  38.85 (bytes 66 66 1b 42)"},
        {"TAOL", "  TAOL  [flt ]  31 (bytes 00 00 f8 41)"},
        {"F0Ac", "  F0Ac  [flt ]  2317 (bytes 00 d0 10 45)"},
        {"F1Ac", "  F1Ac  [flt ]  1985 (bytes 00 20 f8 44)"},
        {"F0Mx", "  F0Mx  [flt ]  4900 (bytes 00 20 99 45)"},
        {"F1Mx", "  F1Mx  [flt ]  5200 (bytes 00 80 a2 45)"},
        {"FNum", "  FNum  [ui8 ]  2 (bytes 02)"},
        {"PSTR", "  PSTR  [flt ]  12.5 (bytes 00 00 48 41)"},
    });

    // Plugged in and charging: what the battery takes in is not the system's draw.
    fs.write("power_supply/BAT0/status", "Charging\n");
    EXPECT_EQ(fs.run({"-k", "PSTR", "-r"}).exitCode, 1);

    // The simulated Mac wins whenever its key store is there.
    fs.root().write("tmp/vantrel-sim/smc-keys.txt", "TPMP flt_ 00006c42\n");
    const ToolRun sim = fs.run({"-k", "TPMP", "-r"});
    EXPECT_EQ(sim.out, "  TPMP  [flt ]  59 (bytes 00 00 6c 42)\n");
    EXPECT_EQ(fs.run({"-k", "TCHP", "-r"}).exitCode, 1) << "no mixing of the two sources";
}

TEST(LinuxSmcKeys, AmdDesktopWithRadeonTwoDrivesAndMemorySensors)
{
    FakeSysfs fs;
    fs.write("hwmon/hwmon0/name", "k10temp\n");
    fs.write("hwmon/hwmon0/temp1_label", "Tctl\n");
    fs.write("hwmon/hwmon0/temp1_input", "61250\n");
    fs.write("hwmon/hwmon0/temp3_label", "Tccd1\n");
    fs.write("hwmon/hwmon0/temp3_input", "55000\n");
    fs.write("hwmon/hwmon0/temp4_label", "Tccd2\n");
    fs.write("hwmon/hwmon0/temp4_input", "58500\n");
    fs.write("hwmon/hwmon1/name", "amdgpu\n");
    fs.write("hwmon/hwmon1/temp1_label", "edge\n");
    fs.write("hwmon/hwmon1/temp1_input", "47250\n");
    fs.write("hwmon/hwmon1/temp2_label", "junction\n");
    fs.write("hwmon/hwmon1/temp2_input", "50000\n");
    fs.write("hwmon/hwmon1/temp3_label", "mem\n");
    fs.write("hwmon/hwmon1/temp3_input", "52000\n");
    fs.write("hwmon/hwmon1/fan1_input", "1500\n"); // the graphics card's own fan
    fs.write("hwmon/hwmon2/name", "nvme\n");
    fs.write("hwmon/hwmon2/temp1_label", "Composite\n");
    fs.write("hwmon/hwmon2/temp1_input", "41000\n");
    fs.write("hwmon/hwmon3/name", "nvme\n");
    fs.write("hwmon/hwmon3/temp1_label", "Composite\n");
    fs.write("hwmon/hwmon3/temp1_input", "35000\n");
    fs.write("hwmon/hwmon4/name", "jc42\n");
    fs.write("hwmon/hwmon4/temp1_input", "40500\n");
    fs.write("hwmon/hwmon5/name", "jc42\n");
    fs.write("hwmon/hwmon5/temp1_input", "42250\n");
    fs.expectReadings({
        {"TPMP", "  TPMP  [flt ]  56.75 (bytes 00 00 63 42)"},
        {"TPDX", "  TPDX  [flt ]  58.5 (bytes 00 00 6a 42)"},
        {"TCHP", "  TCHP  [flt ]  61.25 (bytes 00 00 75 42)"},
        {"TG0D", "  TG0D  [flt ]  47.25 (bytes 00 00 3d 42)"},
        {"TPVD", "  TPVD  [flt ]  52 (bytes 00 00 50 42)"},
        {"TD00", "  TD00  [flt ]  41 (bytes 00 00 24 42)"},
        {"TD10", "  TD10  [flt ]  35 (bytes 00 00 0c 42)"},
        {"TMVR", "  TMVR  [flt ]  42.25 (bytes 00 00 29 42)"},
    });

    // Where k10temp also reports Tdie, the die temperature is the package, not the offset Tctl.
    fs.write("hwmon/hwmon0/temp2_label", "Tdie\n");
    fs.write("hwmon/hwmon0/temp2_input", "60000\n");
    EXPECT_EQ(fs.run({"-k", "TCHP", "-r"}).out, "  TCHP  [flt ]  60 (bytes 00 00 70 42)\n");
}

TEST(LinuxSmcKeys, ThermalZonesAloneEmptyTreesAndNoSysfs)
{
    // An ARM board: one zone per CPU cluster and one for the GPU; cooling devices are not zones.
    FakeSysfs arm;
    arm.write("thermal/thermal_zone0/type", "cpu0-thermal\n");
    arm.write("thermal/thermal_zone0/temp", "45000\n");
    arm.write("thermal/thermal_zone1/type", "cpu1-thermal\n");
    arm.write("thermal/thermal_zone1/temp", "47000\n");
    arm.write("thermal/thermal_zone2/type", "gpu-thermal\n");
    arm.write("thermal/thermal_zone2/temp", "40000\n");
    arm.write("thermal/cooling_device0/type", "cpu\n");
    arm.write("thermal/cooling_device0/cur_state", "3\n");
    arm.expectReadings({
        {"TPMP", "  TPMP  [flt ]  46 (bytes 00 00 38 42)"},
        {"TPDX", "  TPDX  [flt ]  47 (bytes 00 00 3c 42)"},
        {"TCHP", "  TCHP  [flt ]  47 (bytes 00 00 3c 42)"},
        {"TG0D", "  TG0D  [flt ]  40 (bytes 00 00 20 42)"},
    });

    // A PC whose only sensors are the package zone and the ACPI zone (which maps to nothing).
    FakeSysfs zones;
    zones.write("thermal/thermal_zone0/type", "acpitz\n");
    zones.write("thermal/thermal_zone0/temp", "27800\n");
    zones.write("thermal/thermal_zone1/type", "x86_pkg_temp\n");
    zones.write("thermal/thermal_zone1/temp", "60000\n");
    zones.expectReadings({
        {"TPMP", "  TPMP  [flt ]  60 (bytes 00 00 70 42)"},
        {"TCHP", "  TCHP  [flt ]  60 (bytes 00 00 70 42)"},
    });

    FakeSysfs empty;
    empty.write("hwmon/.keep", "");
    empty.write("thermal/.keep", "");
    empty.write("power_supply/.keep", "");
    empty.expectReadings({});

    FakeSysfs none; // no sys folder at all: not a Linux machine, or a container without it
    none.expectReadings({});
}

TEST(LinuxSmcKeys, GarbageAndUnreadableFilesGiveNoReading)
{
    FakeSysfs fs;
    fs.write("hwmon/hwmon0/name", "coretemp\n");
    fs.write("hwmon/hwmon0/temp1_label", "Package id 0\n");
    fs.write("hwmon/hwmon0/temp1_input", "abc\n");
    fs.write("hwmon/hwmon0/temp2_label", "Core 0\n");
    fs.write("hwmon/hwmon0/temp2_input", "");
    fs.write("hwmon/hwmon0/temp3_label", "Core 1\n");
    fs.unreadable("hwmon/hwmon0/temp3_input");
    fs.write("hwmon/hwmon0/temp4_label", "Core 2\n");
    fs.write("hwmon/hwmon0/temp4_input", "-128000\n"); // a disconnected probe
    fs.write("hwmon/hwmon0/temp5_label", "Core 3\n");
    fs.write("hwmon/hwmon0/temp5_input", "45000 junk\n");
    fs.write("hwmon/hwmon0/temp6_label", "Core 4\n");
    fs.write("hwmon/hwmon0/temp6_input", "99999999999999999999999\n");
    fs.write("hwmon/hwmon0/temp7_label", "Core 5\n");
    fs.write("hwmon/hwmon0/temp7_input", "50000\n");
    fs.write("hwmon/hwmon1/name", "nct6775\n");
    fs.write("hwmon/hwmon1/fan1_input", "garbage\n");
    fs.write("hwmon/hwmon1/fan2_input", "900\n");
    fs.write("hwmon/hwmon1/fan2_max", "0\n"); // the driver does not know the maximum
    fs.danglingLink("hwmon/hwmon1/fan3_input");
    fs.write("hwmon/hwmon2/name", "nvme\n");
    fs.write("hwmon/hwmon2/temp1_label", "Composite\n");
    fs.write("hwmon/hwmon2/temp1_input", QByteArray(20000, '4'));
    fs.write("hwmon/hwmonX/name", "coretemp\n"); // not a hwmon device
    fs.write("hwmon/hwmonX/temp1_label", "Package id 1\n");
    fs.write("hwmon/hwmonX/temp1_input", "90000\n");
    fs.write("power_supply/BAT0/type", "Battery\n");
    fs.write("power_supply/BAT0/status", "Discharging\n");
    fs.write("power_supply/BAT0/temp", "hot\n");
    fs.write("power_supply/BAT0/current_now", "-1500000\n"); // some drivers sign the discharge current
    fs.write("power_supply/BAT0/voltage_now", "12000000\n");
    fs.write("power_supply/BAT1/type", "Battery\n");
    fs.unreadable("power_supply/BAT1/temp");
    fs.expectReadings({
        {"TPMP", "  TPMP  [flt ]  50 (bytes 00 00 48 42)"},
        {"TPDX", "  TPDX  [flt ]  50 (bytes 00 00 48 42)"},
        {"TCHP", "  TCHP  [flt ]  50 (bytes 00 00 48 42)"},
        {"F1Ac", "  F1Ac  [flt ]  900 (bytes 00 00 61 44)"},
        {"FNum", "  FNum  [ui8 ]  3 (bytes 03)"},
        {"PSTR", "  PSTR  [flt ]  18 (bytes 00 00 90 41)"},
    });
}
