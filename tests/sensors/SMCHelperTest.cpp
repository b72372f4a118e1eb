#include "sensors/SMCHelper.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "platform/fakes/FakeProcessRunner.h"
#include "platform/linux/LinuxProcessRunner.h"
#include "sensors/SensorSections.h"
#include "support/TempDir.h"

namespace vantrel {
namespace {

QByteArray line(const char* key, double value)
{
    return QByteArray("  ") + key + "  [flt ]  " + QByteArray::number(value) + " (bytes 00 00 00 00)\n";
}

struct Fixture {
    std::shared_ptr<test::FakeProcessRunner> runner = std::make_shared<test::FakeProcessRunner>();
    SMCHelper helper{runner, QStringLiteral("/usr/local/vantrel/smc")};
};

TEST(SMCHelper, RunsEveryKeyInOneShellLaunch)
{
    Fixture f;
    f.runner->setOutput("");
    f.helper.refreshAll();
    const auto calls = f.runner->invocations();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].program, QStringLiteral("/bin/bash"));
    ASSERT_EQ(calls[0].arguments.size(), 2);
    EXPECT_EQ(calls[0].arguments[0], QStringLiteral("-c"));
    const QStringList parts = calls[0].arguments[1].split(QStringLiteral("; "));
    EXPECT_EQ(parts.front(), QStringLiteral("'/usr/local/vantrel/smc' -k TPMP -r"));
    EXPECT_EQ(parts.back(), QStringLiteral("'/usr/local/vantrel/smc' -k ACID -r"));

    SMCHelper privileged(f.runner, QStringLiteral("/usr/local/vantrel/smc"), QStringLiteral("/usr/bin/sudo -n "));
    EXPECT_TRUE(privileged.commandText().startsWith(
        QStringLiteral("/usr/bin/sudo -n '/usr/local/vantrel/smc' -k TPMP -r; /usr/bin/sudo -n ")));
}

// A tool installed under a folder whose name holds spaces, quotes and shell syntax still runs,
// and nothing in its path is executed by the shell.
TEST(SMCHelper, ToolPathIsOneShellWordWhateverItContains)
{
    test::TempDir dir;
    const QString folder = dir.file(QStringLiteral("it's a $(touch injected); dir"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString tool = folder + QStringLiteral("/smc");
    QFile script(tool);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\n[ \"$2\" = TPMP ] && echo '  TPMP  [flt ]  52.5 (bytes 00 00 52 42)'\nexit 0\n");
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    SMCHelper helper(std::make_shared<LinuxProcessRunner>(), tool);
    const QString before = QDir::currentPath();
    QDir::setCurrent(dir.path());
    helper.refreshAll();
    QDir::setCurrent(before);
    EXPECT_DOUBLE_EQ(helper.snapshot().cpuTemp, 52.5);
    EXPECT_FALSE(QFileInfo::exists(dir.file(QStringLiteral("injected"))));
}

TEST(SMCHelper, BuildsReadingsFansAndCpuTemperatureFromOneOutput)
{
    Fixture f;
    EXPECT_DOUBLE_EQ(f.helper.snapshot().cpuTemp, 45.0);
    EXPECT_TRUE(f.helper.cachedReadings().empty());

    f.runner->setOutput(line("TMVR", 50) + line("TG0D", 47.25) + line("TB0T", 31) + line("TB1T", 33) + line("TCHP", 61)
                        + line("TD00", 149.9) + line("TD10", 150) + line("TAOL", 0) + line("Ts0P", -4)
                        + line("F0Ac", 2317.9) + line("F1Ac", -1.5) + line("PSTR", 12.5) + line("ACID", 0.25)
                        + line("XXXX", 20));
    f.helper.refreshAll();
    const SMCHelper::Caches c = f.helper.snapshot();

    // Catalogue order, only values in (0, 150).
    QStringList keys;
    for (const auto& r : c.readings)
        keys << r.key;
    EXPECT_EQ(keys,
              (QStringList{QStringLiteral("TCHP"), QStringLiteral("TG0D"), QStringLiteral("TB0T"),
                           QStringLiteral("TB1T"), QStringLiteral("TD00"), QStringLiteral("TMVR")}));
    EXPECT_EQ(c.readings[1].label, QStringLiteral("GPU Die"));
    EXPECT_EQ(c.readings[1].category, SensorCategory::GPU);
    EXPECT_NE(c.readings[0].id, c.readings[1].id);
    // Fans are truncated toward zero, not rounded.
    EXPECT_EQ(c.fan0, 2317);
    EXPECT_EQ(c.fan1, -1);
    // TPMP absent: the hotspot stands in.
    EXPECT_DOUBLE_EQ(c.cpuTemp, 61.0);
    EXPECT_DOUBLE_EQ(c.values.value(QStringLiteral("PSTR")), 12.5);
    EXPECT_TRUE(c.values.contains(QStringLiteral("XXXX")));
    EXPECT_DOUBLE_EQ(getBatteryTemperature(c.readings), 32.0);

    f.runner->setOutput(line("TPMP", 58.5) + line("TCHP", 61));
    f.helper.refreshAll();
    EXPECT_DOUBLE_EQ(f.helper.snapshot().cpuTemp, 58.5);
    // A refresh with nothing useful empties the caches and restores the defaults.
    f.runner->setOutput("smc: cannot read the SMC key store\n");
    f.helper.refreshAll();
    EXPECT_DOUBLE_EQ(f.helper.snapshot().cpuTemp, 45.0);
    EXPECT_EQ(f.helper.snapshot().fan0, 0);
    EXPECT_TRUE(f.helper.snapshot().values.isEmpty());
    EXPECT_DOUBLE_EQ(getBatteryTemperature(f.helper.cachedReadings()), 30.0);
}

TEST(SMCHelper, FailedRefreshKeepsEveryCache)
{
    Fixture f;
    f.runner->setOutput(line("TPMP", 52) + line("F0Ac", 1800) + line("F1Ac", 1900));
    f.helper.refreshAll();
    const auto before = f.helper.snapshot();

    f.runner->setLaunchFailure();
    f.helper.refreshAll();
    f.runner->setOutput(line("TPMP", 99) + "\xff\xfe broken utf-8\n");
    f.helper.refreshAll();

    const auto after = f.helper.snapshot();
    EXPECT_DOUBLE_EQ(after.cpuTemp, 52.0);
    EXPECT_EQ(after.fan0, 1800);
    EXPECT_EQ(after.fan1, 1900);
    EXPECT_EQ(after.values, before.values);
    ASSERT_EQ(after.readings.size(), 1u);
    EXPECT_EQ(after.readings[0].id, before.readings[0].id);

    // A non-zero exit status is not examined: what was printed counts.
    f.runner->setOutput(line("TPMP", 53), 1);
    f.helper.refreshAll();
    EXPECT_DOUBLE_EQ(f.helper.snapshot().cpuTemp, 53.0);
}

} // namespace
} // namespace vantrel
