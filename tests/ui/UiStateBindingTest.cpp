// UiState follows the capability store (the sidebar's fan item) and the central state (the
// sensor sheet's readings, the dashboard's own sleep flag).
#include <gtest/gtest.h>

#include <QSignalSpy>

#include "base/Preferences.h"
#include "base/VirtualDispatch.h"
#include "core/ThermalManager.h"
#include "daemon/DaemonClient.h"
#include "fan/FanControlState.h"
#include "fan/FanPresetStore.h"
#include "sensors/HardwareCapabilityStore.h"
#include "sleep/SleepSettingsState.h"
#include "support/FakeCollaborators.h"
#include "support/FakeDaemonTransport.h"
#include "support/TempDir.h"
#include "ui/shell/UiState.h"
#include "ui/shell/UiStateBinding.h"

using namespace vantrel;

TEST(UiStateBinding, FanCapabilityFollowsTheStore)
{
    VirtualDispatch dispatch;
    auto transport = std::make_shared<test::FakeDaemonTransport>();
    HardwareCapabilityStore store(std::make_shared<DaemonClient>(transport), dispatch);
    UiState state;
    QSignalSpy changes(&state, &UiState::capabilitiesChanged);
    bindCapabilities(state, store);
    EXPECT_FALSE(state.supportsSafeFanControl());

    transport->replyOk("get_hardware_profile", {{"supports_safe_fan_control", true}});
    store.refresh();
    dispatch.runUntilIdle();
    EXPECT_TRUE(state.supportsSafeFanControl());
    EXPECT_EQ(changes.count(), 1);

    store.clear(); // daemon lost: the blank profile has no fan control
    dispatch.runUntilIdle();
    EXPECT_FALSE(state.supportsSafeFanControl());
}

TEST(UiStateBinding, SensorsAndSleepFlagFollowTheCentralState)
{
    VirtualDispatch dispatch;
    MemoryPreferences preferences;
    test::TempDir dir;
    DaemonClient daemon(std::make_shared<test::FakeDaemonTransport>());
    FanControlState fan(preferences);
    FanPresetStore presets(dir.paths(), preferences, dispatch.clock());
    test::FakeCollaborators parts;
    parts.sample.readings = {{QUuid::createUuid(), "TD00", "SSD Ch0", SensorCategory::SSD, 41.0}};
    ThermalManager manager({dispatch, preferences, daemon, dir.paths(), nullptr, nullptr, nullptr},
                           {fan, presets, parts, parts, parts, parts, parts, parts, parts, parts, parts, parts});
    UiState state;
    bindCentralState(state, manager);
    EXPECT_TRUE(state.allSensors().empty());
    EXPECT_FALSE(state.appSleepPreventionActive());

    manager.start();
    dispatch.advance(Duration(1500));
    ASSERT_EQ(state.allSensors().size(), 1u);
    EXPECT_EQ(state.allSensors()[0].key, "TD00");

    manager.sleep().setDarkKeepAliveEnabled(true);
    EXPECT_TRUE(state.appSleepPreventionActive());
    manager.sleep().setDarkKeepAliveEnabled(false);
    EXPECT_FALSE(state.appSleepPreventionActive());
}
