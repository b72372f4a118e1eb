// The virtual clamshell against a running vantrel-sim: the display the manager creates shows in
// the simulator with the app's description, is never taken for a monitor, and goes when stopped.
#include <gtest/gtest.h>

#include "SimProcess.h"
#include "base/VirtualDispatch.h"
#include "daemon/DaemonSocketTransport.h"
#include "platform/sim/SimDisplays.h"
#include "sleep/VirtualDisplayManager.h"
#include "support/LogCapture.h"

using namespace vantrel;

namespace {

QJsonObject platformState(const test::SimProcess& sim)
{
    return sim.call("sim_state")["hardware"].toObject()["platform"].toObject();
}

} // namespace

TEST(VirtualDisplaySim, TheVirtualClamshellComesAndGoesInTheSimulatedMac)
{
    test::TempDir dir;
    test::SimProcess sim(dir);
    ASSERT_TRUE(sim.start());
    VirtualDispatch dispatch;
    auto displays = std::make_shared<SimDisplays>(
        sim.stateDirectory(), std::make_shared<DaemonSocketTransport>(dispatch, sim.socketPath(), false));
    VirtualDisplayManager manager(displays);
    test::LogCapture log;

    EXPECT_FALSE(manager.hasRealExternalDisplay({}, false));
    manager.startVirtualDisplay();
    ASSERT_TRUE(manager.isDisplayPresent());
    EXPECT_TRUE(log.contains(QStringLiteral("VirtualDisplayManager: Built-in display detected: 3024x1964")));
    EXPECT_TRUE(log.contains(QStringLiteral("VirtualDisplayManager: ✅ Virtual Clamshell Active (3024x1964)")));
    QJsonObject display = platformState(sim)["virtual_display"].toObject();
    EXPECT_EQ(display["name"].toString(), QStringLiteral("Vantrel Virtual Clamshell"));
    EXPECT_EQ(display["width"].toInt(), 3024);
    EXPECT_EQ(display["height"].toInt(), 1964);
    EXPECT_EQ(display["vendor_id"].toInt(), 22136);
    ASSERT_EQ(manager.virtualDisplayIds().size(), 1u);
    EXPECT_EQ(static_cast<int>(*manager.virtualDisplayIds().begin()), display["id"].toInt());

    // Its own display is no monitor, known by id or not; a connected monitor is.
    EXPECT_FALSE(manager.hasRealExternalDisplay(manager.virtualDisplayIds(), true));
    EXPECT_FALSE(manager.hasRealExternalDisplay({}, true));
    EXPECT_FALSE(manager.hasRealExternalDisplay({}, false));
    ASSERT_EQ(sim.ctl({"displays", "external_count=1"}), 0);
    EXPECT_TRUE(manager.hasRealExternalDisplay(manager.virtualDisplayIds(), true));
    EXPECT_TRUE(manager.hasRealExternalDisplay({}, true));

    manager.stopVirtualDisplay(false);
    EXPECT_FALSE(manager.isDisplayPresent());
    EXPECT_FALSE(platformState(sim)["virtual_display_active"].toBool());

    log.clear();
    manager.startVirtualDisplay();
    EXPECT_FALSE(manager.isDisplayPresent());
    EXPECT_EQ(log.lines(),
              QStringList{QStringLiteral(
                  "VirtualDisplayManager: Start skipped because a real external display is connected.")});

    // Lid closed and nothing else connected: no main display to measure, so the default size.
    ASSERT_EQ(sim.ctl({"displays", "external_count=0"}), 0);
    ASSERT_EQ(sim.ctl({"lid", "closed=true"}), 0);
    manager.startVirtualDisplay();
    ASSERT_TRUE(manager.isDisplayPresent());
    display = platformState(sim)["virtual_display"].toObject();
    EXPECT_EQ(display["width"].toInt(), 3456);
    EXPECT_EQ(display["height"].toInt(), 2234);

    manager.stopVirtualDisplay();
    EXPECT_TRUE(platformState(sim)["virtual_display"].isNull());

    // A display left behind by an app that ended without removing it is taken over, not refused.
    ASSERT_EQ(sim.ctl({"platform", "action=set_virtual_display", "active=true", "name=Vantrel Virtual Clamshell",
                       "vendor_id=22136", "product_id=4660", "serial_number=1"}),
              0);
    const int leftover = platformState(sim)["virtual_display"].toObject()["id"].toInt();
    VirtualDisplayManager next(displays);
    next.startVirtualDisplay();
    ASSERT_TRUE(next.isDisplayPresent());
    display = platformState(sim)["virtual_display"].toObject();
    EXPECT_EQ(display["id"].toInt(), leftover);
    EXPECT_EQ(display["name"].toString(), QStringLiteral("Vantrel Virtual Clamshell"));
    // Its id was there before the start, so it is recognised by the single-display rule.
    EXPECT_TRUE(next.virtualDisplayIds().empty());
    EXPECT_FALSE(next.hasRealExternalDisplay(next.virtualDisplayIds(), true));
    next.stopVirtualDisplay();
    EXPECT_FALSE(platformState(sim)["virtual_display_active"].toBool());
}
