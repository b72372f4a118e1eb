// The daemon's stored user settings against the simulated Mac: settings kept only by an older
// version are pushed once, and a freshly started application with empty preferences gets them
// back from the daemon after the daemon itself was restarted.
#include <gtest/gtest.h>

#include "SimProcess.h"
#include "base/Preferences.h"
#include "base/VirtualDispatch.h"
#include "core/DaemonSettingsSynchroniser.h"
#include "daemon/DaemonClient.h"
#include "daemon/DaemonSocketTransport.h"
#include "fan/FanConfigurationApplier.h"
#include "fan/FanControlState.h"
#include "power/BatteryConfigurationApplier.h"
#include "power/BatteryPolicyState.h"
#include "sleep/SleepReconciler.h"
#include "sleep/SleepSettingsState.h"
#include "support/LogCapture.h"

using namespace vantrel;

namespace {

struct NoSleepRuntime final : SleepReconciler {
    QStringList reasons;
    void reconcileSleepRuntime(const QString& reason) override { reasons << reason; }
    void scheduleSleepRuntimeReconcile(const QString&) override { }
    void resetDaemonApplyState() override { }
};

// The parts of the application the settings synchronisation touches, started on prefs.
struct App {
    VirtualDispatch dispatch;
    DaemonClient client;
    Preferences& prefs;
    FanControlState fan{prefs};
    BatteryPolicyState battery{prefs};
    SleepSettingsState sleep{prefs};
    NoSleepRuntime sleepRuntime;
    HardwareProfile profile;
    FanConfigurationApplier fanApplier{fan, client, dispatch, [] { return true; }};
    BatteryConfigurationApplier batteryApplier{battery, client, dispatch, [] { return true; }};
    DaemonSettingsSynchroniser sync{
        DaemonSettingsSynchroniser::Services{dispatch, client, prefs, [] { return true; }, [this] { return profile; }},
        DaemonSettingsSynchroniser::Targets{fan, fanApplier, battery, batteryApplier, sleepRuntime}};

    App(const QString& socket, Preferences& preferences)
        : client(std::make_shared<DaemonSocketTransport>(dispatch, socket, false), QString())
        , prefs(preferences)
    {
        sleep.restore();
        profile.modelIdentifier = QStringLiteral("MacBookPro18,1");
        profile.architecture = QStringLiteral("arm64");
        profile.fanCount = 2;
        profile.hasBattery = true;
        profile.supportsSafeFanControl = true;
        sync.bind(sleep);
    }
    void startUp()
    {
        sync.reconcileDaemonCanonicalUserSettings(QStringLiteral("startup"));
        dispatch.runUntilIdle();
    }
};

} // namespace

TEST(SettingsSyncSim, OlderLocalSettingsArePushedOnceAndComeBackAfterARestart)
{
    test::TempDir dir;
    test::LogCapture log;
    {
        test::SimProcess sim(dir);
        ASSERT_TRUE(sim.start());
        MemoryPreferences older;
        older.setValue(QStringLiteral("fanMode"), rawValue(FanMode::Manual));
        older.setValue(QStringLiteral("batteryLimitEnabled"), true);
        older.setValue(QStringLiteral("chargeLimit"), 70);
        older.setValue(QStringLiteral("darkKeepAliveEnabled"), true);
        older.setValue(QStringLiteral("sleepBatteryCutoffPercent"), 40);
        App app(sim.socketPath(), older);
        app.startUp();
        EXPECT_TRUE(app.sync.canonicalSettingsReady());
        EXPECT_FALSE(app.sync.canonicalSettingsExist());
        EXPECT_TRUE(log.contains(QStringLiteral("Vantrel migrated legacy fan UserDefaults to daemon user settings.")));
        EXPECT_TRUE(
            log.contains(QStringLiteral("Vantrel migrated legacy battery UserDefaults to daemon user settings.")));
        EXPECT_TRUE(log.contains(QStringLiteral(
            "Vantrel migrated legacy sleep UserDefaults to daemon user settings (startup-migrate-user-settings).")));
        EXPECT_FALSE(app.sync.pendingLegacyFanMigration());
        EXPECT_FALSE(app.sync.pendingLegacyBatteryMigration());
        EXPECT_FALSE(app.sync.pendingLegacySleepMigration());
        EXPECT_EQ(sim.terminate(), 0);
    }
    {
        test::SimProcess sim(dir);
        ASSERT_TRUE(sim.start());
        MemoryPreferences fresh;
        App app(sim.socketPath(), fresh);
        ASSERT_EQ(app.battery.chargeLimit(), BatteryPolicyState(fresh).chargeLimit());
        ASSERT_NE(app.battery.chargeLimit(), 70);
        app.startUp();
        EXPECT_TRUE(app.sync.canonicalSettingsExist());
        EXPECT_EQ(app.fan.fanMode(), FanMode::Manual);
        EXPECT_TRUE(app.battery.batteryLimitEnabled());
        EXPECT_EQ(app.battery.chargeLimit(), 70);
        EXPECT_TRUE(app.sleep.darkKeepAliveEnabled());
        EXPECT_TRUE(app.sleep.userIntendedDarkKeepAliveEnabled());
        EXPECT_EQ(app.sleep.sleepBatteryCutoffPercent(), 40);
        EXPECT_TRUE(
            log.contains(QStringLiteral("Vantrel daemon user intent and physical runtime restored."))
            || log.contains(QStringLiteral("Vantrel daemon user intent restored; physical runtime remains pending: ")));
        EXPECT_EQ(app.sleepRuntime.reasons, QStringList{QStringLiteral("startup-restore-app-side-sleep-settings")});
        // Nothing was pushed back: the daemon's copy wins.
        EXPECT_FALSE(app.sync.pendingLegacyFanMigration());
    }
}
