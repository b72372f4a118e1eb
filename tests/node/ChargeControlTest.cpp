#include "node/power/ChargeControl.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QStringList>

#include "node/support/FakeSysfsTree.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"

namespace vantrel::node {
namespace {

using test::FakeSysfsTree;
using test::RecordingKernel;

QString battery(const test::TempDir& dir, const QString& name, const char* attribute)
{
    return FakeSysfsTree::read(dir.path(),
                               QStringLiteral("sys/class/power_supply/") + name + QLatin1Char('/')
                                   + QLatin1String(attribute))
        .value_or(QStringLiteral("<missing>"));
}

TEST(ChargeControl, CapabilitiesOfEachTree)
{
    struct Case {
        const char* machine;
        void (*build)(const QString&);
        QString backend;
        bool end, start, fixedOnly;
        int fixedLimit;
        bool inhibit, discharge;
    };
    const Case cases[] = {
        {"thinkpad", FakeSysfsTree::thinkpadLaptop, QStringLiteral("thresholds"), true, true, false, -1, true, true},
        {"dell", FakeSysfsTree::dellLaptop, QStringLiteral("dell_charge_types"), true, true, false, -1, false, false},
        {"framework", FakeSysfsTree::frameworkLaptop, QStringLiteral("thresholds"), true, true, false, -1, true, true},
        {"asus", FakeSysfsTree::asusLaptop, QStringLiteral("end_threshold"), true, false, false, -1, false, false},
        {"apple silicon", FakeSysfsTree::appleSiliconMac, QStringLiteral("macsmc"), true, false, true, 80, true, true},
        {"ideapad", FakeSysfsTree::ideapadLaptop, QStringLiteral("ideapad_conservation"), false, false, true, 80, false,
         false},
        {"desktop", FakeSysfsTree::desktop, QString(), false, false, false, -1, false, false},
    };
    for (const Case& c : cases) {
        test::TempDir dir;
        c.build(dir.path());
        const ChargeCapabilities caps = ChargeControl(dir.path()).capabilities();
        EXPECT_EQ(caps.backend, c.backend) << c.machine;
        EXPECT_EQ(caps.endThreshold, c.end) << c.machine;
        EXPECT_EQ(caps.startThreshold, c.start) << c.machine;
        EXPECT_EQ(caps.fixedLimitOnly, c.fixedOnly) << c.machine;
        EXPECT_EQ(caps.fixedLimit, c.fixedLimit) << c.machine;
        EXPECT_EQ(caps.inhibitCharge, c.inhibit) << c.machine;
        EXPECT_EQ(caps.forceDischarge, c.discharge) << c.machine;
    }

    // Attributes the driver shows read-only are not offered: the start threshold goes, and with
    // the end threshold read-only too nothing is left.
    test::TempDir dir;
    FakeSysfsTree::thinkpadLaptop(dir.path());
    FakeSysfsTree::makeReadOnly(dir.path(),
                                QStringLiteral("sys/class/power_supply/BAT0/charge_control_start_threshold"));
    EXPECT_EQ(ChargeControl(dir.path()).capabilities().backend, QStringLiteral("end_threshold"));
    FakeSysfsTree::makeReadOnly(dir.path(), QStringLiteral("sys/class/power_supply/BAT0/charge_control_end_threshold"));
    EXPECT_EQ(ChargeControl(dir.path()).capabilities().backend, QString());
}

TEST(ChargeControl, ThresholdsAreWrittenInAnOrderThatKeepsStartBelowEnd)
{
    test::TempDir dir;
    FakeSysfsTree::thinkpadLaptop(dir.path()); // start 75, end 80
    RecordingKernel kernel;
    ChargeControl control(dir.path(), kernel.writer());
    test::LogCapture log;

    // Lowering the end below the present start: start first.
    SysfsWriteResult r = control.setLimit(60, 50);
    EXPECT_TRUE(r.ok) << r.detail.toStdString();
    EXPECT_EQ(r.code, QString());
    EXPECT_EQ(r.applied, 60);
    EXPECT_EQ(kernel.writes, QStringList({"charge_control_start_threshold=50", "charge_control_end_threshold=60"}));
    EXPECT_EQ(battery(dir, "BAT0", "charge_control_start_threshold"), QStringLiteral("50"));
    EXPECT_EQ(battery(dir, "BAT0", "charge_control_end_threshold"), QStringLiteral("60"));

    // Raising the start above the present end: end first.
    kernel.writes.clear();
    r = control.setLimit(90, 85);
    EXPECT_TRUE(r.ok) << r.detail.toStdString();
    EXPECT_EQ(r.applied, 90);
    EXPECT_EQ(kernel.writes, QStringList({"charge_control_end_threshold=90", "charge_control_start_threshold=85"}));
    EXPECT_EQ(control.currentLimit(), 90);
    EXPECT_EQ(control.currentStart(), 85);

    // End only leaves the start alone; clearing charges to full from any level.
    kernel.writes.clear();
    EXPECT_TRUE(control.setLimit(95, std::nullopt).ok);
    EXPECT_EQ(kernel.writes, QStringList({"charge_control_end_threshold=95"}));
    kernel.writes.clear();
    r = control.clearLimit();
    EXPECT_TRUE(r.ok) << r.detail.toStdString();
    EXPECT_EQ(r.applied, 100);
    EXPECT_EQ(kernel.writes, QStringList({"charge_control_end_threshold=100", "charge_control_start_threshold=0"}));

    // Every write is logged with what was read back.
    EXPECT_TRUE(log.contains(
        QStringLiteral("ChargeControl: wrote \"50\" to ") + dir.path()
        + QStringLiteral("/sys/class/power_supply/BAT0/charge_control_start_threshold; read back \"50\"")));
    EXPECT_EQ(log.count(QStringLiteral("ChargeControl: wrote")), 7);
}

TEST(ChargeControl, BadRequestsAndMissingFeaturesWriteNothing)
{
    test::TempDir dir;
    FakeSysfsTree::asusLaptop(dir.path());
    RecordingKernel kernel;
    ChargeControl asus(dir.path(), kernel.writer());

    for (const auto& [end, start] : {std::pair{0, std::optional<int>()}, std::pair{101, std::optional<int>()},
                                     std::pair{80, std::optional(80)}, std::pair{80, std::optional(-1)}}) {
        const SysfsWriteResult r = asus.setLimit(end, start);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.code, QStringLiteral("out_of_range")) << end;
        EXPECT_FALSE(r.detail.isEmpty());
    }
    EXPECT_EQ(asus.setLimit(80, 60).code, QStringLiteral("unsupported")); // no start threshold
    EXPECT_EQ(asus.setBehaviour(ChargeBehaviour::InhibitCharge).code, QStringLiteral("unsupported"));
    EXPECT_EQ(kernel.writes, QStringList());
    EXPECT_EQ(battery(dir, "BAT0", "charge_control_end_threshold"), QStringLiteral("100"));
    EXPECT_TRUE(asus.setLimit(60, std::nullopt).ok);
    EXPECT_EQ(asus.currentLimit(), 60);
    EXPECT_FALSE(asus.currentStart().has_value());

    test::TempDir desk;
    FakeSysfsTree::desktop(desk.path());
    ChargeControl desktop(desk.path(), kernel.writer());
    kernel.writes.clear();
    for (const SysfsWriteResult& r : {desktop.setLimit(80, std::nullopt), desktop.clearLimit(),
                                      desktop.setBehaviour(ChargeBehaviour::ForceDischarge)}) {
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.code, QStringLiteral("unsupported"));
    }
    EXPECT_FALSE(desktop.currentLimit().has_value());
    EXPECT_FALSE(desktop.currentBehaviour().has_value());
    EXPECT_EQ(kernel.writes, QStringList());
}

TEST(ChargeControl, DellSetsACustomWindowWithinItsRangeAndClearsToStandard)
{
    test::TempDir dir;
    FakeSysfsTree::dellLaptop(dir.path()); // start 50, end 90, Standard
    RecordingKernel kernel;
    ChargeControl control(dir.path(), kernel.writer());
    EXPECT_EQ(control.currentLimit(), 100); // thresholds set but not in force outside Custom

    SysfsWriteResult r = control.setLimit(80, 70);
    EXPECT_TRUE(r.ok) << r.detail.toStdString();
    EXPECT_EQ(
        kernel.writes,
        QStringList({"charge_control_start_threshold=70", "charge_control_end_threshold=80", "charge_types=Custom"}));
    EXPECT_EQ(battery(dir, "BAT0", "charge_types"), QStringLiteral("Trickle Fast Standard Adaptive [Custom]"));
    EXPECT_EQ(control.currentLimit(), 80);

    // Below what the firmware takes: clamped to its window and said so.
    r = control.setLimit(40, 30);
    EXPECT_TRUE(r.ok) << r.detail.toStdString();
    EXPECT_EQ(r.applied, 55);
    EXPECT_EQ(battery(dir, "BAT0", "charge_control_start_threshold"), QStringLiteral("50"));
    EXPECT_TRUE(r.detail.contains(QStringLiteral("end threshold 40 clamped to 55")));
    EXPECT_TRUE(r.detail.contains(QStringLiteral("start threshold 30 clamped to 50")));
    r = control.setLimit(100, 99);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(battery(dir, "BAT0", "charge_control_start_threshold"), QStringLiteral("95"));

    kernel.writes.clear();
    r = control.clearLimit();
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.applied, 100);
    EXPECT_EQ(kernel.writes, QStringList({"charge_types=Standard"}));
    EXPECT_EQ(battery(dir, "BAT0", "charge_types"), QStringLiteral("Trickle Fast [Standard] Adaptive Custom"));
    EXPECT_EQ(control.currentLimit(), 100);
}

TEST(ChargeControl, AppleSiliconTakesOnlyItsOwnLimits)
{
    test::TempDir dir;
    FakeSysfsTree::appleSiliconMac(dir.path());
    RecordingKernel kernel;
    ChargeControl control(dir.path(), kernel.writer());

    for (const auto& [wanted, applied] : {std::pair{70, 80}, std::pair{80, 80}, std::pair{90, 80}, std::pair{91, 100},
                                          std::pair{100, 100}, std::pair{1, 80}}) {
        const SysfsWriteResult r = control.setLimit(wanted, std::nullopt);
        EXPECT_TRUE(r.ok) << wanted;
        EXPECT_EQ(r.applied, applied) << wanted;
        EXPECT_EQ(r.detail.isEmpty(), wanted == applied) << wanted;
        EXPECT_EQ(battery(dir, "macsmc-battery", "charge_control_end_threshold"), QString::number(applied));
    }
    EXPECT_EQ(control.setLimit(80, 70).code, QStringLiteral("unsupported"));

    // Firmware that answers the write and keeps its old value.
    control.setLimit(100, std::nullopt);
    ChargeControl ignoring(dir.path(), [](const QString&, const QByteArray&) { return QString(); });
    const SysfsWriteResult r = ignoring.setLimit(80, std::nullopt);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.code, QStringLiteral("readback_mismatch"));
    EXPECT_EQ(r.applied, 100);
    EXPECT_TRUE(r.detail.contains(QStringLiteral("reads \"100\" after writing 80"))) << r.detail.toStdString();
}

TEST(ChargeControl, IdeapadConservationModeIsAFixedLimit)
{
    test::TempDir dir;
    FakeSysfsTree::ideapadLaptop(dir.path());
    ChargeControl control(dir.path(), FakeSysfsTree::kernelWriter());
    const QString mode = QStringLiteral("sys/bus/platform/drivers/ideapad_acpi/VPC2004:00/conservation_mode");
    EXPECT_EQ(control.currentLimit(), 100);

    SysfsWriteResult r = control.setLimit(60, std::nullopt);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.applied, ChargeControl::kConservationLimit);
    EXPECT_TRUE(r.detail.contains(QStringLiteral("clamped to 80")));
    EXPECT_EQ(FakeSysfsTree::read(dir.path(), mode), QStringLiteral("1"));
    EXPECT_EQ(control.currentLimit(), 80);
    EXPECT_EQ(control.setLimit(80, 40).code, QStringLiteral("unsupported"));

    r = control.clearLimit();
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.applied, 100);
    EXPECT_EQ(FakeSysfsTree::read(dir.path(), mode), QStringLiteral("0"));
    EXPECT_TRUE(control.setLimit(80, std::nullopt).ok);
    EXPECT_TRUE(control.setLimit(100, std::nullopt).ok);
    EXPECT_EQ(FakeSysfsTree::read(dir.path(), mode), QStringLiteral("0"));
}

TEST(ChargeControl, ChargeBehaviourTakesOnlyTheListedChoices)
{
    test::TempDir dir;
    FakeSysfsTree::frameworkLaptop(dir.path());
    ChargeControl control(dir.path(), FakeSysfsTree::kernelWriter());
    EXPECT_EQ(control.currentBehaviour(), ChargeBehaviour::Auto);

    SysfsWriteResult r = control.setBehaviour(ChargeBehaviour::ForceDischarge);
    EXPECT_TRUE(r.ok) << r.detail.toStdString();
    EXPECT_EQ(battery(dir, "BAT1", "charge_behaviour"), QStringLiteral("auto inhibit-charge [force-discharge]"));
    EXPECT_EQ(control.currentBehaviour(), ChargeBehaviour::ForceDischarge);
    EXPECT_TRUE(control.setBehaviour(ChargeBehaviour::Auto).ok);
    EXPECT_EQ(control.currentBehaviour(), ChargeBehaviour::Auto);

    // A driver offering inhibit-charge only.
    FakeSysfsTree::supply(dir.path(), QStringLiteral("BAT1"), {{"charge_behaviour", "[auto] inhibit-charge"}});
    EXPECT_TRUE(control.capabilities().inhibitCharge);
    EXPECT_FALSE(control.capabilities().forceDischarge);
    r = control.setBehaviour(ChargeBehaviour::ForceDischarge);
    EXPECT_EQ(r.code, QStringLiteral("unsupported"));
    EXPECT_EQ(battery(dir, "BAT1", "charge_behaviour"), QStringLiteral("[auto] inhibit-charge"));

    // Listed, yet the firmware stays where it was.
    ChargeControl ignoring(dir.path(), [](const QString&, const QByteArray&) { return QString(); });
    r = ignoring.setBehaviour(ChargeBehaviour::InhibitCharge);
    EXPECT_EQ(r.code, QStringLiteral("readback_mismatch"));
    EXPECT_TRUE(r.detail.contains(QStringLiteral("shows \"auto\" after writing \"inhibit-charge\"")));
}

TEST(ChargeControl, EveryBatteryWithThresholdsTakesTheLimit)
{
    test::TempDir dir;
    FakeSysfsTree::thinkpadTwoBatteries(dir.path()); // both at start 75, end 80
    RecordingKernel kernel;
    ChargeControl control(dir.path(), kernel.writer());
    const ChargeCapabilities caps = control.capabilities();
    EXPECT_EQ(caps.backend, QStringLiteral("thresholds"));
    EXPECT_TRUE(caps.startThreshold);
    EXPECT_TRUE(caps.inhibitCharge);
    EXPECT_TRUE(caps.forceDischarge);

    SysfsWriteResult r = control.setLimit(60, 50);
    EXPECT_TRUE(r.ok) << r.detail.toStdString();
    EXPECT_EQ(r.applied, 60);
    EXPECT_EQ(kernel.writes.size(), 4);
    for (const QString& bat : {QStringLiteral("BAT0"), QStringLiteral("BAT1")}) {
        EXPECT_EQ(battery(dir, bat, "charge_control_end_threshold"), QStringLiteral("60")) << bat.toStdString();
        EXPECT_EQ(battery(dir, bat, "charge_control_start_threshold"), QStringLiteral("50")) << bat.toStdString();
    }
    EXPECT_TRUE(control.setBehaviour(ChargeBehaviour::InhibitCharge).ok);
    EXPECT_EQ(battery(dir, "BAT1", "charge_behaviour"), QStringLiteral("auto [inhibit-charge] force-discharge"));
    EXPECT_EQ(control.currentBehaviour(), ChargeBehaviour::InhibitCharge);
    r = control.clearLimit();
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.applied, 100);
    EXPECT_EQ(battery(dir, "BAT0", "charge_control_end_threshold"), QStringLiteral("100"));
    EXPECT_EQ(battery(dir, "BAT1", "charge_control_end_threshold"), QStringLiteral("100"));

    // BAT1's firmware refuses the end threshold: BAT0 still takes it, the result is a failure
    // that names BAT1, and the highest limit in force is reported.
    ChargeControl stubborn(dir.path(), [](const QString& path, const QByteArray& value) {
        if (path.contains(QStringLiteral("/BAT1/charge_control_end")))
            return QStringLiteral("Invalid argument");
        return FakeSysfsTree::kernelWriter()(path, value);
    });
    r = stubborn.setLimit(70, std::nullopt);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.code, QStringLiteral("write_failed"));
    EXPECT_EQ(r.applied, 100);
    EXPECT_TRUE(r.detail.startsWith(QStringLiteral("BAT1: "))) << r.detail.toStdString();
    EXPECT_EQ(battery(dir, "BAT0", "charge_control_end_threshold"), QStringLiteral("70"));
    EXPECT_EQ(control.currentLimit(), 100) << "BAT1 still charges to full";
    // The batteries disagree on the start threshold and the behaviour: neither is known.
    FakeSysfsTree::write(dir.path(), QStringLiteral("sys/class/power_supply/BAT0/charge_control_start_threshold"),
                         "40\n");
    EXPECT_FALSE(control.currentStart().has_value());
    FakeSysfsTree::write(dir.path(), QStringLiteral("sys/class/power_supply/BAT1/charge_behaviour"),
                         "[auto] inhibit-charge\n");
    EXPECT_FALSE(control.currentBehaviour().has_value());

    // A behaviour only one battery offers is not offered, and nothing is written.
    EXPECT_TRUE(control.capabilities().inhibitCharge);
    EXPECT_FALSE(control.capabilities().forceDischarge);
    kernel.writes.clear();
    EXPECT_EQ(control.setBehaviour(ChargeBehaviour::ForceDischarge).code, QStringLiteral("unsupported"));
    EXPECT_EQ(kernel.writes, QStringList());

    // A battery without writable thresholds is left out of the limit; the other still takes it.
    FakeSysfsTree::makeReadOnly(dir.path(), QStringLiteral("sys/class/power_supply/BAT1/charge_control_end_threshold"));
    FakeSysfsTree::makeReadOnly(dir.path(),
                                QStringLiteral("sys/class/power_supply/BAT1/charge_control_start_threshold"));
    r = control.setLimit(85, std::nullopt);
    EXPECT_TRUE(r.ok) << r.detail.toStdString();
    EXPECT_EQ(kernel.writes, QStringList({"charge_control_end_threshold=85"}));
    EXPECT_EQ(battery(dir, "BAT0", "charge_control_end_threshold"), QStringLiteral("85"));
}

TEST(ChargeControl, AFailedWriteStopsAndIsReported)
{
    test::TempDir dir;
    FakeSysfsTree::thinkpadLaptop(dir.path());
    test::LogCapture log;
    // The driver rejects the end threshold (EINVAL from the store).
    ChargeControl control(dir.path(), [](const QString& path, const QByteArray& value) {
        if (path.endsWith(QStringLiteral("charge_control_end_threshold")))
            return QStringLiteral("Invalid argument");
        return FakeSysfsTree::kernelWriter()(path, value);
    });
    SysfsWriteResult r = control.setLimit(90, 60); // raising: end first, which fails
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.code, QStringLiteral("write_failed"));
    EXPECT_EQ(r.applied, 80);
    EXPECT_TRUE(r.detail.contains(QStringLiteral("Invalid argument")));
    EXPECT_EQ(battery(dir, "BAT0", "charge_control_start_threshold"), QStringLiteral("75"));
    EXPECT_TRUE(log.contains(QStringLiteral("ChargeControl: writing \"90\" to ")));
    EXPECT_TRUE(log.contains(QStringLiteral("failed: Invalid argument; read back \"80\"")));

    // The real writer against a file that vanished between detection and the write.
    test::TempDir gone;
    FakeSysfsTree::asusLaptop(gone.path());
    ChargeControl real(gone.path(), [&](const QString& path, const QByteArray& value) {
        QFile::remove(path);
        return writeSysfsFile(path, value);
    });
    r = real.setLimit(80, std::nullopt);
    EXPECT_EQ(r.code, QStringLiteral("write_failed"));
    EXPECT_EQ(r.applied, -1);
}

} // namespace
} // namespace vantrel::node
