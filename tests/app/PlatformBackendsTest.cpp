#include "app/PlatformBackends.h"

#include <gtest/gtest.h>

#include "base/VirtualDispatch.h"
#include "support/FakeDaemonTransport.h"
#include "support/TempDir.h"

namespace vantrel {
namespace {

TEST(PlatformBackends, ChoosesTheBackendOnce)
{
    test::TempDir dir;
    const Paths paths = dir.paths();
    qunsetenv("VANTREL_SIM_STATE_DIR");
    EXPECT_EQ(choosePlatformKind({}, paths), PlatformKind::Linux);
    dir.write(QStringLiteral("tmp/vantrel-sim/hardware.json"), "{}");
    EXPECT_EQ(choosePlatformKind({QStringLiteral("vantrel")}, paths), PlatformKind::Sim);
    EXPECT_EQ(
        choosePlatformKind({QStringLiteral("vantrel"), QStringLiteral("--platform"), QStringLiteral("linux")}, paths),
        PlatformKind::Linux);
    test::TempDir other;
    EXPECT_EQ(choosePlatformKind({QStringLiteral("--platform=sim")}, other.paths()), PlatformKind::Sim);
    qputenv("VANTREL_SIM_STATE_DIR", dir.file(QStringLiteral("tmp/vantrel-sim")).toLocal8Bit());
    EXPECT_EQ(choosePlatformKind({}, other.paths()), PlatformKind::Sim);
    qunsetenv("VANTREL_SIM_STATE_DIR");
    QString error;
    EXPECT_FALSE(choosePlatformKind({QStringLiteral("--platform"), QStringLiteral("macos")}, paths, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("macos")));
    EXPECT_FALSE(choosePlatformKind({QStringLiteral("--platform")}, paths));

    const PlatformServices sim = makePlatform(PlatformKind::Sim, paths);
    EXPECT_EQ(sim.kind, PlatformKind::Sim);
    EXPECT_EQ(sim.smcUserClient->open().status, SmcOpenResult::Status::Opened);
    const PlatformServices linux = makePlatform(PlatformKind::Linux, paths);
    EXPECT_EQ(linux.smcUserClient->open().status, SmcOpenResult::Status::ServiceNotFound);
    for (const PlatformServices* s : {&sim, &linux}) {
        EXPECT_TRUE(s->processRunner && s->powerSources && s->batteryRegistry && s->pmset && s->hostStatistics
                    && s->processTable && s->systemProfiler);
        EXPECT_TRUE(s->hostStatistics->cpuLoad());
    }
}

// VANTREL_ROOT re-roots the Linux backend's sysfs readers as it does the smc tool.
TEST(PlatformBackends, LinuxBackendReadsTheRerootedTree)
{
    test::TempDir dir;
    dir.write(QStringLiteral("sys/class/power_supply/AC/type"), "Mains\n");
    dir.write(QStringLiteral("sys/class/power_supply/AC/online"), "1\n");
    dir.write(QStringLiteral("sys/class/power_supply/BAT0/type"), "Battery\n");
    dir.write(QStringLiteral("sys/class/power_supply/BAT0/status"), "Charging\n");
    dir.write(QStringLiteral("sys/class/power_supply/BAT0/capacity"), "37\n");
    dir.write(QStringLiteral("sys/class/power_supply/BAT0/cycle_count"), "412\n");
    dir.write(QStringLiteral("sys/class/dmi/id/product_name"), "Rerooted Machine\n");

    const PlatformServices linux = makePlatform(PlatformKind::Linux, dir.paths());
    const auto description = linux.powerSources->firstPowerSourceDescription();
    ASSERT_TRUE(description);
    EXPECT_EQ(description->value("Current Capacity").toInt(), 37);
    EXPECT_EQ(linux.batteryRegistry->smartBatteryProperties()->value("CycleCount").toInt(), 412);
    EXPECT_EQ(linux.pmset->batteryStatus().standardOutput,
              "Now drawing from 'AC Power'\n -InternalBattery-0 (id=0)\t37%; charging; (no estimate) present: true\n");
    const auto overview = linux.systemProfiler->hardwareOverview();
    ASSERT_TRUE(overview);
    EXPECT_EQ(overview->modelIdentifier, QStringLiteral("Rerooted Machine"));
}

// Displays come from the simulated Mac's hardware file, or from this machine's DRM connectors.
TEST(PlatformBackends, DisplaysFollowThePlatform)
{
    test::TempDir dir;
    qunsetenv("VANTREL_SIM_STATE_DIR");
    dir.write(QStringLiteral("tmp/vantrel-sim/hardware.json"),
              R"({"built_in_display": {"width": 3024, "height": 1964}, "lid_closed": false,
                  "external_display_count": 1, "platform": {"virtual_display": null}})");
    dir.write(QStringLiteral("sys/class/drm/card0-HDMI-A-1/status"), "connected\n");
    dir.write(QStringLiteral("sys/class/drm/card0-HDMI-A-1/modes"), "1920x1080\n");
    VirtualDispatch dispatch;
    auto transport = std::make_shared<test::FakeDaemonTransport>();

    const DesktopServices sim = makeDesktopServices(PlatformKind::Sim, dir.paths(), dispatch, transport);
    ASSERT_TRUE(sim.displays);
    EXPECT_EQ(sim.displays->mainDisplayPixelSize().width, 3024u);
    EXPECT_EQ(sim.displays->onlineDisplays(16)->size(), 2u);

    const DesktopServices linux = makeDesktopServices(PlatformKind::Linux, dir.paths(), dispatch, transport);
    ASSERT_TRUE(linux.displays);
    EXPECT_EQ(linux.displays->mainDisplayPixelSize().width, 1920u);
    EXPECT_EQ(linux.displays->onlineDisplays(16)->size(), 1u);
    EXPECT_EQ(linux.displays->createVirtualDisplay(VirtualDisplayDescriptor{}), nullptr);

    // The simulated Mac's lid, assertions, lock and shield; this desktop's shield windows come
    // from the windowed half of the application.
    ASSERT_TRUE(sim.lid && sim.powerAssertions && sim.screenLock && sim.shieldWindows);
    EXPECT_EQ(sim.lid->lidClosed(), false);
    EXPECT_EQ(sim.shieldWindows->screens().size(), 1u); // not a laptop model: only the monitor
    ASSERT_TRUE(linux.lid && linux.powerAssertions && linux.screenLock);
    EXPECT_FALSE(linux.shieldWindows);
}

} // namespace
} // namespace vantrel
