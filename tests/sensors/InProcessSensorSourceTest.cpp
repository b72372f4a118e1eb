#include "sensors/InProcessSensorSource.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "base/ShellQuote.h"
#include "platform/fakes/FakeProcessRunner.h"
#include "platform/linux/LinuxProcessRunner.h"
#include "platform/sim/SimSmcUserClient.h"
#include "sensors/LinuxSmcKeyLineReader.h"
#include "sensors/NativeSMC.h"
#include "sensors/NativeSmcKeyLineReader.h"
#include "sensors/SmcSensorSource.h"
#include "smc/SmcKeyFile.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"

namespace vantrel {
namespace {

using smc::SmcType;

smc::SmcEntry key(const char* name, SmcType type, double value) { return {name, type, smc::encode(type, value)}; }

// Every type the catalogue meets, values the tool rounds, one the ranges reject, one all-zero
// key and two keys the store does not have (TCMz, PCPC).
std::vector<smc::SmcEntry> storeOne()
{
    return {key("TPMP", SmcType::Flt, 52.3456), key("TPDX", SmcType::Flt, 61.005), key("TCHP", SmcType::Sp78, 63.75),
            key("TG0D", SmcType::Flt, 47.25),   key("TPVD", SmcType::Flt, 0),      key("TB0T", SmcType::Sp78, 31.5),
            key("TB1T", SmcType::Flt, 33.125),  key("TB2T", SmcType::Flt, 250.0),  key("TD00", SmcType::Flt, 41.999),
            key("TD10", SmcType::Ui8, 38),      key("TAOL", SmcType::Flt, -3.5),   key("Ts0P", SmcType::Flt, 29.01),
            key("Ts1P", SmcType::Flt, 9999.5),  key("TMVR", SmcType::Ui16, 55),    key("F0Ac", SmcType::Fpe2, 1834.75),
            key("F1Ac", SmcType::Flt, 2101.9),  key("PSTR", SmcType::Flt, 18.437), key("ACID", SmcType::Ui32, 0)};
}

// The CPU keys gone: the hotspot key then decides the CPU temperature.
std::vector<smc::SmcEntry> storeTwo()
{
    return {key("TCHP", SmcType::Flt, 70.126), key("TB0T", SmcType::Flt, 35.5), key("F0Ac", SmcType::Flt, 0),
            key("F1Ac", SmcType::Fpe2, 1200.25), key("PCPC", SmcType::Flt, 7.5)};
}

void writeStore(const QString& folder, const std::vector<smc::SmcEntry>& entries)
{
    // Replaced the way the simulator does it: a new file renamed over the old one.
    const QString target = folder + QStringLiteral("/smc-keys.txt");
    QFile file(target + QStringLiteral(".new"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray::fromStdString(smc::SmcKeyFile::render(entries, "test store")));
    file.close();
    QFile::remove(target);
    ASSERT_TRUE(QFile::rename(target + QStringLiteral(".new"), target));
}

// What the tick publishes and what every other reader of the tool caches sees; the readings'
// identities are fresh per refresh and left out.
void expectSamePublished(const SensorSample& tool, const SensorSample& inProcess, const SMCHelper& toolSmc,
                         const SMCHelper& inProcessSmc)
{
    EXPECT_DOUBLE_EQ(inProcess.cpuTemperature, tool.cpuTemperature);
    EXPECT_EQ(inProcess.fan0, tool.fan0);
    EXPECT_EQ(inProcess.fan1, tool.fan1);
    EXPECT_DOUBLE_EQ(inProcess.batteryTemperature, tool.batteryTemperature);
    EXPECT_EQ(inProcess.readingValues, tool.readingValues);
    ASSERT_EQ(inProcess.readings.size(), tool.readings.size());
    for (std::size_t i = 0; i < tool.readings.size(); ++i) {
        EXPECT_EQ(inProcess.readings[i].key, tool.readings[i].key);
        EXPECT_EQ(inProcess.readings[i].label, tool.readings[i].label);
        EXPECT_EQ(inProcess.readings[i].category, tool.readings[i].category);
        EXPECT_EQ(inProcess.readings[i].value, tool.readings[i].value);
    }
    const auto a = toolSmc.snapshot();
    const auto b = inProcessSmc.snapshot();
    EXPECT_EQ(b.values, a.values);
    EXPECT_EQ(b.cpuTemp, a.cpuTemp);
}

// The tool path: the built smc tool in the shell line, its environment set on that line.
std::shared_ptr<SMCHelper> toolHelper(const QString& environment)
{
    return std::make_shared<SMCHelper>(std::make_shared<LinuxProcessRunner>(), test::builtBinary("vantrel-smc"),
                                       environment);
}

TEST(InProcessSensorSource, SimulatedKeyStorePublishesWhatTheToolPublishes)
{
    test::TempDir dir;
    const QString state = dir.file(QStringLiteral("sim"));
    ASSERT_TRUE(QDir().mkpath(state));
    writeStore(state, storeOne());

    auto toolSmc = toolHelper(QStringLiteral("VANTREL_SIM_STATE_DIR=") + shellQuoted(state) + QLatin1Char(' '));
    SmcSensorSource toolPath(toolSmc);

    auto runner = std::make_shared<test::FakeProcessRunner>();
    runner->setLaunchFailure();
    auto inProcessSmc = std::make_shared<SMCHelper>(runner, QStringLiteral("/nonexistent/smc"));
    NativeSMC native(std::make_shared<SimSmcUserClient>(state));
    InProcessSensorSource inProcess(inProcessSmc, std::make_unique<NativeSmcKeyLineReader>(native),
                                    [] { return true; });

    const SensorSample first = toolPath.readSensors();
    // The store really reached the tool: rounding, the range filter and the fan truncation.
    EXPECT_DOUBLE_EQ(first.cpuTemperature, 52.35);
    EXPECT_EQ(first.fan0, 1834);
    EXPECT_FALSE(first.readingValues.contains(QStringLiteral("TB2T")));
    expectSamePublished(first, inProcess.readSensors(), *toolSmc, *inProcessSmc);

    // The same connection follows the store when the simulator replaces it.
    writeStore(state, storeTwo());
    const SensorSample second = toolPath.readSensors();
    EXPECT_DOUBLE_EQ(second.cpuTemperature, 70.13);
    expectSamePublished(second, inProcess.readSensors(), *toolSmc, *inProcessSmc);
    EXPECT_TRUE(runner->invocations().empty());
}

TEST(InProcessSensorSource, LinuxSensorsPublishWhatTheToolPublishes)
{
    test::TempDir root;
    const auto write = [&](const char* path, const char* text) {
        root.write(QStringLiteral("sys/class/") + QLatin1String(path), text);
    };
    write("hwmon/hwmon0/name", "coretemp\n");
    write("hwmon/hwmon0/temp1_label", "Package id 0\n");
    write("hwmon/hwmon0/temp1_input", "52125\n");
    write("hwmon/hwmon0/temp2_label", "Core 0\n");
    write("hwmon/hwmon0/temp2_input", "48000\n");
    write("hwmon/hwmon1/name", "nvme\n");
    write("hwmon/hwmon1/temp1_label", "Composite\n");
    write("hwmon/hwmon1/temp1_input", "38850\n");
    write("hwmon/hwmon2/name", "dell_smm\n");
    write("hwmon/hwmon2/temp1_label", "Ambient\n");
    write("hwmon/hwmon2/temp1_input", "31000\n");
    write("hwmon/hwmon2/fan1_input", "2317\n");
    write("hwmon/hwmon2/fan2_input", "1985\n");
    write("power_supply/BAT0/type", "Battery\n");
    write("power_supply/BAT0/status", "Discharging\n");
    write("power_supply/BAT0/temp", "305\n");
    write("power_supply/BAT0/power_now", "12500000\n");

    const QString state = root.file(QStringLiteral("no-sim"));
    auto toolSmc = toolHelper(QStringLiteral("VANTREL_SIM_STATE_DIR=") + shellQuoted(state)
                              + QStringLiteral(" VANTREL_ROOT=") + shellQuoted(root.path()) + QLatin1Char(' '));
    SmcSensorSource toolPath(toolSmc);
    auto runner = std::make_shared<test::FakeProcessRunner>();
    runner->setLaunchFailure();
    auto inProcessSmc = std::make_shared<SMCHelper>(runner, QStringLiteral("/nonexistent/smc"));
    InProcessSensorSource inProcess(inProcessSmc,
                                    std::make_unique<LinuxSmcKeyLineReader>(root.file(QStringLiteral("sys/class")),
                                                                            state + QStringLiteral("/smc-keys.txt")),
                                    [] { return true; });

    const SensorSample first = toolPath.readSensors();
    EXPECT_EQ(first.fan0, 2317);
    EXPECT_FALSE(first.readings.empty());
    expectSamePublished(first, inProcess.readSensors(), *toolSmc, *inProcessSmc);

    // Values change under the folder listing the reader keeps.
    write("hwmon/hwmon0/temp1_input", "67375\n");
    write("hwmon/hwmon2/fan1_input", "3050\n");
    const SensorSample second = toolPath.readSensors();
    EXPECT_EQ(second.fan0, 3050);
    expectSamePublished(second, inProcess.readSensors(), *toolSmc, *inProcessSmc);
    EXPECT_TRUE(runner->invocations().empty());
}

TEST(InProcessSensorSource, FailureOrPreferenceOffRunsTheToolAndFailureIsLoggedOnce)
{
    test::TempDir dir;
    const QByteArray toolOutput = "  TPMP  [flt ]  55.5 (bytes 00 00 5e 42)\n";
    auto runner = std::make_shared<test::FakeProcessRunner>();
    runner->setOutput(toolOutput);
    auto smc = std::make_shared<SMCHelper>(runner, QStringLiteral("/usr/local/vantrel/smc"));
    // No simulator state: the native connection cannot open.
    NativeSMC native(std::make_shared<SimSmcUserClient>(dir.file(QStringLiteral("gone"))));
    bool enabled = true;
    InProcessSensorSource source(smc, std::make_unique<NativeSmcKeyLineReader>(native), [&] { return enabled; });

    test::LogCapture log;
    EXPECT_DOUBLE_EQ(source.readSensors().cpuTemperature, 55.5);
    EXPECT_DOUBLE_EQ(source.readSensors().cpuTemperature, 55.5);
    EXPECT_EQ(runner->invocations().size(), 2u);
    EXPECT_EQ(log.count(QStringLiteral("in-process sensor reading failed")), 1);

    // Switched off: the tool line, with nothing logged.
    enabled = false;
    log.clear();
    source.readSensors();
    EXPECT_EQ(runner->invocations().size(), 3u);
    EXPECT_TRUE(log.lines().isEmpty());

    // The Linux reader defers to the tool while a simulated key store is there, as the tool does.
    const QString state = dir.file(QStringLiteral("sim"));
    dir.write(QStringLiteral("sim/smc-keys.txt"), "TPMP flt_ 0000a042\n");
    dir.write(QStringLiteral("sys/class/hwmon/hwmon0/name"), "coretemp\n");
    dir.write(QStringLiteral("sys/class/hwmon/hwmon0/temp1_label"), "Package id 0\n");
    dir.write(QStringLiteral("sys/class/hwmon/hwmon0/temp1_input"), "40000\n");
    LinuxSmcKeyLineReader sysfsReader(dir.file(QStringLiteral("sys/class")), state + QStringLiteral("/smc-keys.txt"));
    EXPECT_FALSE(sysfsReader.readLines(SMCHelper::keysToRead()).has_value());
    QFile::remove(state + QStringLiteral("/smc-keys.txt"));
    EXPECT_TRUE(sysfsReader.readLines(SMCHelper::keysToRead()).has_value());
}

} // namespace
} // namespace vantrel
