#include "node/fans/Fans.h"

#include <gtest/gtest.h>

#include <QStringList>

#include "node/support/FakeSysfsTree.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"

namespace vantrel::node {
namespace {

using test::FakeSysfsTree;
using test::RecordingKernel;

QString hwmonFile(const test::TempDir& dir, const char* relative)
{
    return FakeSysfsTree::read(dir.path(), QStringLiteral("sys/class/hwmon/") + QLatin1String(relative))
        .value_or(QStringLiteral("<missing>"));
}

TEST(Fans, ThinkpadFansAreReadAndTheFirstIsControllable)
{
    test::TempDir dir;
    FakeSysfsTree::thinkpadFans(dir.path());
    const Fans fans(dir.path());

    const QVector<FanReading> all = fans.read();
    ASSERT_EQ(all.size(), 2);
    EXPECT_EQ(all[0].index, 0);
    EXPECT_EQ(all[0].rpm, 2890);
    EXPECT_EQ(all[0].minRpm, -1);
    EXPECT_EQ(all[0].maxRpm, -1);
    EXPECT_FALSE(all[0].manual);
    EXPECT_EQ(all[1].index, 1);
    EXPECT_EQ(all[1].rpm, 2740);

    EXPECT_TRUE(fans.supportsSafeControl());
    EXPECT_TRUE(fans.canControl(0));
    EXPECT_FALSE(fans.canControl(1)); // thinkpad_acpi has pwm1 only
    EXPECT_FALSE(fans.canControl(2));

    // Without fan_control=1 the driver shows pwm1 read-only.
    FakeSysfsTree::makeReadOnly(dir.path(), QStringLiteral("sys/class/hwmon/hwmon5/pwm1_enable"));
    EXPECT_FALSE(fans.supportsSafeControl());
}

TEST(Fans, ManualDutyIsWrittenAndAutomaticRestoredOnce)
{
    test::TempDir dir;
    FakeSysfsTree::thinkpadFans(dir.path());
    RecordingKernel kernel;
    test::LogCapture log;
    Fans fans(dir.path(), kernel.writer());

    EXPECT_TRUE(fans.setDutyPercent(0, 50));
    EXPECT_EQ(kernel.writes, QStringList({"pwm1_enable=1", "pwm1=128"}));
    EXPECT_EQ(hwmonFile(dir, "hwmon5/pwm1_enable"), QStringLiteral("1"));
    EXPECT_TRUE(fans.read()[0].manual);
    EXPECT_EQ(fans.controlledFans(), QVector<int>({0}));
    EXPECT_TRUE(fans.setDutyPercent(0, 150));
    EXPECT_EQ(hwmonFile(dir, "hwmon5/pwm1"), QStringLiteral("255"));
    EXPECT_TRUE(fans.setDutyPercent(0, -5));
    EXPECT_EQ(hwmonFile(dir, "hwmon5/pwm1"), QStringLiteral("0"));

    kernel.writes.clear();
    fans.restoreAutomatic();
    EXPECT_EQ(kernel.writes, QStringList({"pwm1_enable=2"}));
    EXPECT_EQ(hwmonFile(dir, "hwmon5/pwm1_enable"), QStringLiteral("2"));
    EXPECT_FALSE(fans.read()[0].manual);
    EXPECT_TRUE(fans.controlledFans().isEmpty());
    fans.restoreAutomatic();
    EXPECT_EQ(kernel.writes.size(), 1);
    EXPECT_EQ(log.count(QStringLiteral("Fans: wrote")), 7);
}

TEST(Fans, RefusedFansAreLeftAlone)
{
    test::TempDir dir;
    FakeSysfsTree::readOnlyFans(dir.path());
    RecordingKernel kernel;
    test::LogCapture log;
    Fans fans(dir.path(), kernel.writer());

    // The graphics card's fan is not a system fan; the Super-I/O chip is not on the safe list.
    const QVector<FanReading> all = fans.read();
    ASSERT_EQ(all.size(), 2);
    EXPECT_EQ(all[0].rpm, 2450);
    EXPECT_EQ(all[0].minRpm, 0);
    EXPECT_EQ(all[0].maxRpm, 4900);
    EXPECT_FALSE(all[0].manual);
    EXPECT_EQ(all[1].index, 1);
    EXPECT_EQ(all[1].rpm, 812);
    EXPECT_EQ(all[1].maxRpm, -1);
    EXPECT_FALSE(all[1].manual);

    EXPECT_FALSE(fans.supportsSafeControl());
    EXPECT_FALSE(fans.setDutyPercent(0, 50));
    EXPECT_FALSE(fans.setDutyPercent(1, 50));
    EXPECT_FALSE(fans.setDutyPercent(7, 50));
    EXPECT_TRUE(kernel.writes.isEmpty());
    EXPECT_EQ(hwmonFile(dir, "hwmon4/pwm2"), QStringLiteral("102"));
    EXPECT_TRUE(log.contains(QStringLiteral("Fans: refused manual control of fan 1 (chip \"nct6798\"")));
    fans.restoreAutomatic();
    EXPECT_TRUE(kernel.writes.isEmpty());

    test::TempDir none;
    FakeSysfsTree::desktop(none.path());
    EXPECT_TRUE(Fans(none.path()).read().isEmpty());
    EXPECT_FALSE(Fans(none.path()).supportsSafeControl());
}

TEST(Fans, TheOriginalAutomaticModeComesBackEvenAfterAFailedTakeover)
{
    test::TempDir dir;
    FakeSysfsTree::thinkpadFans(dir.path());
    RecordingKernel kernel;
    {
        Fans fans(dir.path(), kernel.writer());
        // The driver takes manual mode but refuses the duty.
        kernel.refuse = QStringLiteral("pwm1");
        EXPECT_FALSE(fans.setDutyPercent(0, 40));
        EXPECT_EQ(hwmonFile(dir, "hwmon5/pwm1_enable"), QStringLiteral("1"));
        // Going out of scope hands the fan back.
    }
    EXPECT_EQ(hwmonFile(dir, "hwmon5/pwm1_enable"), QStringLiteral("2"));

    // Restoring that fails is tried again on the next call.
    FakeSysfsTree::write(dir.path(), QStringLiteral("sys/class/hwmon/hwmon5/pwm1_enable"), "2\n");
    kernel.refuse.clear();
    Fans fans(dir.path(), kernel.writer());
    EXPECT_TRUE(fans.setDutyPercent(0, 100));
    kernel.refuse = QStringLiteral("pwm1_enable");
    fans.restoreAutomatic();
    EXPECT_EQ(hwmonFile(dir, "hwmon5/pwm1_enable"), QStringLiteral("1"));
    EXPECT_EQ(fans.controlledFans(), QVector<int>({0}));
    kernel.refuse.clear();
    fans.restoreAutomatic();
    EXPECT_EQ(hwmonFile(dir, "hwmon5/pwm1_enable"), QStringLiteral("2"));

    // Full speed (0) and manual (1) are not automatic modes: 2 is written back instead.
    for (const char* original : {"0\n", "1\n"}) {
        FakeSysfsTree::write(dir.path(), QStringLiteral("sys/class/hwmon/hwmon5/pwm1_enable"), original);
        Fans f(dir.path(), kernel.writer());
        EXPECT_TRUE(f.setDutyPercent(0, 30));
        f.restoreAutomatic();
        EXPECT_EQ(hwmonFile(dir, "hwmon5/pwm1_enable"), QStringLiteral("2")) << original;
    }
}

TEST(Fans, DriverQuantisedDutyIsAcceptedAndAnIgnoredDutyIsNot)
{
    test::TempDir dir;
    FakeSysfsTree::thinkpadFans(dir.path());
    // thinkpad_acpi stores one of eight levels and reads back level × 255 / 7.
    int stored = -1;
    Fans fans(dir.path(), [&](const QString& path, const QByteArray& value) {
        if (path.endsWith(QStringLiteral("/pwm1"))) {
            const int level = value.toInt() * 7 / 255;
            stored = level * 255 / 7;
            return FakeSysfsTree::kernelWriter()(path, QByteArray::number(stored));
        }
        return FakeSysfsTree::kernelWriter()(path, value);
    });
    EXPECT_TRUE(fans.setDutyPercent(0, 60)); // 153 → level 4 → 145
    EXPECT_EQ(stored, 145);

    Fans stuck(dir.path(), [](const QString& path, const QByteArray& value) {
        if (path.endsWith(QStringLiteral("/pwm1")))
            return QString(); // keeps its value
        return FakeSysfsTree::kernelWriter()(path, value);
    });
    FakeSysfsTree::write(dir.path(), QStringLiteral("sys/class/hwmon/hwmon5/pwm1"), "255\n");
    EXPECT_FALSE(stuck.setDutyPercent(0, 20));
}

TEST(Fans, IntelMacFansTakeATargetSpeed)
{
    test::TempDir dir;
    FakeSysfsTree::intelMacFans(dir.path());
    RecordingKernel kernel;
    Fans fans(dir.path(), kernel.writer());
    const QVector<FanReading> all = fans.read();
    ASSERT_EQ(all.size(), 1);
    EXPECT_EQ(all[0].minRpm, 1200);
    EXPECT_EQ(all[0].maxRpm, 6200);
    EXPECT_TRUE(fans.supportsSafeControl());

    EXPECT_TRUE(fans.setDutyPercent(0, 50));
    EXPECT_EQ(kernel.writes, QStringList({"fan1_manual=1", "fan1_output=3700"}));
    EXPECT_TRUE(fans.read()[0].manual);
    fans.restoreAutomatic();
    EXPECT_EQ(hwmonFile(dir, "hwmon0/fan1_manual"), QStringLiteral("0"));

    // Without a known range there is no target to aim at.
    FakeSysfsTree::write(dir.path(), QStringLiteral("sys/class/hwmon/hwmon0/fan1_max"), "0\n");
    EXPECT_FALSE(fans.supportsSafeControl());
}

} // namespace
} // namespace vantrel::node
