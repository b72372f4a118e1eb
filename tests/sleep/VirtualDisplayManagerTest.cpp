#include <memory>
#include <set>
#include <vector>

#include <gtest/gtest.h>

#include "platform/fakes/FakeDisplays.h"
#include "sleep/VirtualDisplayManager.h"
#include "support/LogCapture.h"

namespace vantrel {
namespace {

using test::FakeDisplays;
using test::LogCapture;

constexpr std::uint32_t kUnkn = 0x756E6B6E;
constexpr std::uint32_t kVirt = 0x76697274;

DisplayInfo builtIn() { return DisplayInfo{1, true, 0x610, 0xA050, 0}; }
DisplayInfo monitor(std::uint32_t id) { return DisplayInfo{id, false, 0x10AC, 0xA0C4, 12345}; }

TEST(VirtualDisplayManager, ExternalDisplayRules)
{
    struct Case {
        const char* name;
        std::vector<DisplayInfo> online;
        std::vector<ScreenInfo> screens;
        std::set<std::uint32_t> excluding;
        bool running;
        bool listFails;
        bool expected;
    };
    const std::vector<Case> cases = {
        {"built-in only", {builtIn()}, {}, {}, false, false, false},
        {"a monitor", {builtIn(), monitor(5)}, {}, {}, false, false, true},
        {"monitor listed without a screen counts",
         {monitor(5)},
         {{1, QStringLiteral("Built-in")}},
         {},
         false,
         false,
         true},
        {"the list cannot be read", {builtIn(), monitor(5)}, {}, {}, false, true, false},
        {"own display excluded by id", {builtIn(), monitor(7)}, {}, {7}, true, false, false},
        {"own display excluded, a monitor remains", {builtIn(), monitor(7), monitor(8)}, {}, {7}, true, false, true},
        {"one unknown display while running", {builtIn(), monitor(9)}, {}, {}, true, false, false},
        {"two unknown displays while running", {builtIn(), monitor(9), monitor(10)}, {}, {}, true, false, true},
        {"one unknown display while stopped", {builtIn(), monitor(9)}, {}, {}, false, false, true},
        {"own vendor, model and serial", {builtIn(), {6, false, 22136, 4660, 1}}, {}, {}, false, false, false},
        {"own vendor and model, other serial", {builtIn(), {6, false, 22136, 4660, 2}}, {}, {}, false, false, true},
        {"unkn/virt display", {builtIn(), {6, false, kUnkn, kVirt, 77}}, {}, {}, false, false, false},
        {"unkn vendor, real model", {builtIn(), {6, false, kUnkn, 0x1234, 0}}, {}, {}, false, false, true},
        {"screen named like the own display",
         {builtIn(), monitor(6)},
         {{6, QStringLiteral("Vantrel Virtual Clamshell")}},
         {},
         false,
         false,
         false},
        {"own name on another id",
         {builtIn(), monitor(6)},
         {{4, QStringLiteral("Vantrel Virtual Clamshell")}},
         {},
         false,
         false,
         true},
        {"virtual skipped, real monitor found",
         {builtIn(), {6, false, kUnkn, kVirt, 0}, monitor(11)},
         {},
         {},
         false,
         false,
         true},
    };
    for (const Case& c : cases) {
        FakeDisplays displays;
        displays.state().online = c.online;
        displays.state().screens = c.screens;
        displays.state().listFails = c.listFails;
        EXPECT_EQ(VirtualDisplayManager::hasRealExternalDisplay(displays, c.excluding, c.running), c.expected)
            << c.name;
    }
}

TEST(VirtualDisplayManager, StartCreatesThePanelSizedDisplayAndStopRemovesIt)
{
    auto displays = std::make_shared<FakeDisplays>();
    displays->state().online = {builtIn()};
    VirtualDisplayManager manager(displays);
    LogCapture log;

    manager.startVirtualDisplay();
    ASSERT_TRUE(manager.isDisplayPresent());
    ASSERT_EQ(displays->state().created.size(), 1u);
    const VirtualDisplayDescriptor& d = displays->state().created.front();
    EXPECT_EQ(d.name, QStringLiteral("Vantrel Virtual Clamshell"));
    EXPECT_EQ(d.maxPixelsWide, 3024u);
    EXPECT_EQ(d.maxPixelsHigh, 1964u);
    EXPECT_DOUBLE_EQ(d.widthMillimeters, 345.0);
    EXPECT_DOUBLE_EQ(d.heightMillimeters, 223.0);
    EXPECT_EQ(d.productId, 4660u);
    EXPECT_EQ(d.vendorId, 22136u);
    EXPECT_EQ(d.serialNum, 1u);
    ASSERT_EQ(displays->state().applied.size(), 1u);
    ASSERT_EQ(displays->state().applied.front().size(), 1u);
    EXPECT_EQ(displays->state().applied.front().front().width, 3024u);
    EXPECT_DOUBLE_EQ(displays->state().applied.front().front().refreshRate, 60.0);
    EXPECT_EQ(manager.virtualDisplayIds(), std::set<std::uint32_t>{100});
    // Every active display is set to mirror nothing, once, for the session.
    const std::vector<std::pair<std::uint32_t, std::uint32_t>> unmirrored{{1, 0}, {100, 0}};
    EXPECT_EQ(displays->state().mirrorChanges, unmirrored);
    EXPECT_EQ(displays->state().completed, 1);
    EXPECT_EQ(log.lines(),
              (QStringList{
                  QStringLiteral("VirtualDisplayManager: Built-in display detected: 3024x1964"),
                  QStringLiteral("VirtualDisplayManager: Initializing 3024x1964 @ 60Hz (matched to built-in)..."),
                  QStringLiteral("VirtualDisplayManager: ✅ Virtual Clamshell Active (3024x1964)"),
                  QStringLiteral("VirtualDisplayManager: ✅ Mirroring disabled — extended mode (session only)"),
              }));
    // Running, the own display is not an external monitor by its id, by its identity, or by its name.
    EXPECT_FALSE(manager.hasRealExternalDisplay(manager.virtualDisplayIds(), true));
    EXPECT_FALSE(manager.hasRealExternalDisplay({}, false));

    log.clear();
    manager.startVirtualDisplay();
    EXPECT_EQ(log.lines(), QStringList{QStringLiteral("VirtualDisplayManager: Already running.")});
    EXPECT_EQ(displays->state().created.size(), 1u);

    log.clear();
    manager.stopVirtualDisplay(true);
    EXPECT_FALSE(manager.isDisplayPresent());
    EXPECT_TRUE(manager.virtualDisplayIds().empty());
    EXPECT_EQ(displays->state().liveVirtualDisplays, 0);
    EXPECT_EQ(log.lines(), QStringList{QStringLiteral("VirtualDisplayManager: Stopping Virtual Clamshell...")});

    log.clear();
    manager.stopVirtualDisplay();
    EXPECT_TRUE(log.lines().isEmpty());
}

TEST(VirtualDisplayManager, StartIsSkippedWithARealMonitor)
{
    auto displays = std::make_shared<FakeDisplays>();
    displays->state().online = {builtIn(), monitor(5)};
    VirtualDisplayManager manager(displays);
    LogCapture log;
    manager.startVirtualDisplay();
    EXPECT_FALSE(manager.isDisplayPresent());
    EXPECT_TRUE(displays->state().created.empty());
    EXPECT_EQ(log.lines(),
              QStringList{QStringLiteral(
                  "VirtualDisplayManager: Start skipped because a real external display is connected.")});
}

TEST(VirtualDisplayManager, FailedStartsLeaveNothingBehind)
{
    struct Case {
        const char* name;
        bool createFails, modeFails, applyFails;
        const char* lastLine;
    };
    const std::vector<Case> cases = {
        {"create", true, false, false, "VirtualDisplayManager: ❌ Failed to create CGVirtualDisplay."},
        {"mode", false, true, false, "VirtualDisplayManager: ❌ Failed to create mode."},
        {"apply", false, false, true, "VirtualDisplayManager: ❌ Failed to apply settings."},
    };
    for (const Case& c : cases) {
        auto displays = std::make_shared<FakeDisplays>();
        displays->state().online = {builtIn()};
        displays->createFails = c.createFails;
        displays->modeFails = c.modeFails;
        displays->applySucceeds = !c.applyFails;
        VirtualDisplayManager manager(displays);
        LogCapture log;
        manager.startVirtualDisplay();
        EXPECT_FALSE(manager.isDisplayPresent()) << c.name;
        EXPECT_EQ(displays->state().liveVirtualDisplays, 0) << c.name;
        EXPECT_TRUE(manager.virtualDisplayIds().empty()) << c.name;
        EXPECT_TRUE(displays->state().mirrorChanges.empty()) << c.name;
        ASSERT_FALSE(log.lines().isEmpty()) << c.name;
        EXPECT_EQ(log.lines().last(), QString::fromUtf8(c.lastLine)) << c.name;
    }
}

TEST(VirtualDisplayManager, ResolutionDefaultAndMirroringFailures)
{
    auto displays = std::make_shared<FakeDisplays>();
    displays->mainSize = {0, 0};
    {
        LogCapture log;
        const auto size = VirtualDisplayManager::detectBuiltInDisplayResolution(*displays);
        EXPECT_EQ(size, std::make_pair(3456u, 2234u));
        EXPECT_EQ(log.lines(),
                  QStringList{QStringLiteral("VirtualDisplayManager: Using default resolution: 3456x2234")});
    }
    LogCapture quiet;
    displays->mainSize = {1512, 0};
    EXPECT_EQ(VirtualDisplayManager::detectBuiltInDisplayResolution(*displays), std::make_pair(3456u, 2234u));

    displays->state().online = {builtIn()};
    displays->configurationBegins = false;
    {
        LogCapture log;
        VirtualDisplayManager::disableMirroring(*displays);
        EXPECT_EQ(log.lines(),
                  QStringList{QStringLiteral("VirtualDisplayManager: ⚠️ Could not begin display config")});
        EXPECT_TRUE(displays->state().mirrorChanges.empty());
    }
    displays->configurationBegins = true;
    displays->completionError = 1001;
    {
        LogCapture log;
        VirtualDisplayManager::disableMirroring(*displays);
        EXPECT_EQ(
            log.lines(),
            QStringList{QStringLiteral("VirtualDisplayManager: ⚠️ Failed to disable mirroring (error: 1001)")});
    }
    // A failed mirroring change does not undo a started display.
    VirtualDisplayManager manager(displays);
    manager.startVirtualDisplay();
    EXPECT_TRUE(manager.isDisplayPresent());
    EXPECT_EQ(displays->state().created.back().maxPixelsWide, 3456u);
}

} // namespace
} // namespace vantrel
