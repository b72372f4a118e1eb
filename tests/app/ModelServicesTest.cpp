// The whole model, wired as the application wires it, against a real vantrel-sim: the
// application's time is virtual, the simulator's clock is manual, the smc tool and the daemon
// socket are real.
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include "app/ModelServices.h"
#include "app/PlatformBackends.h"
#include "base/Preferences.h"
#include "base/VirtualDispatch.h"
#include "core/SurvivalThrottle.h"
#include "core/ThermalManager.h"
#include "daemon/DaemonClient.h"
#include "daemon/DaemonSocketTransport.h"
#include "fan/FanConfigurationApplier.h"
#include "fan/FanControlState.h"
#include "fan/FanCurveMath.h"
#include "integration/SimProcess.h"
#include "platform/fakes/FakeAccessibilityAccess.h"
#include "platform/fakes/FakeProcessActivity.h"
#include "power/BatteryPolicyState.h"
#include "sensors/HardwareCapabilityStore.h"
#include "sleep/DarkKeepAlive.h"
#include "sleep/SleepRuntimeReconciler.h"
#include "sleep/SleepSettingsState.h"
#include "sleep/VirtualDisplayManager.h"
#include "support/TempDir.h"
#include "ui/sleep/ModelSleepControls.h"
#include "ui/sleep/SleepPageModel.h"

namespace vantrel {
namespace {

class ModelAgainstSim : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!QFileInfo(test::builtBinary(QStringLiteral("vantrel-smc"))).isExecutable())
            GTEST_SKIP() << "vantrel-smc is not built";
        ASSERT_TRUE(sim_.start());
        // The smc tool finds the simulator's key store through the environment it inherits.
        qputenv("VANTREL_SIM_STATE_DIR", sim_.stateDirectory().toLocal8Bit());
        const Paths paths = Paths::underRoot(dir_.path());
        auto daemon = std::make_shared<DaemonClient>(
            std::make_shared<DaemonSocketTransport>(dispatch_, sim_.socketPath(), false));
        model_ = std::make_unique<ModelServices>(ModelServices::Inputs{
            dispatch_, preferences_, daemon, paths, makeSimPlatform(paths), desktop(),
            ModelServices::smcToolPath(paths, QFileInfo(test::builtBinary(QStringLiteral("vantrel-smc"))).path())});
    }

    void TearDown() override { qunsetenv("VANTREL_SIM_STATE_DIR"); }

    DesktopServices desktop() const
    {
        DesktopServices services;
        services.accessibility = std::make_shared<test::FakeAccessibilityAccess>();
        services.processActivity = activity_;
        return services;
    }

    // The simulator's state as `vantrel-sim ctl state` prints it.
    QJsonObject simState() const
    {
        QByteArray out;
        EXPECT_EQ(sim_.ctl({QStringLiteral("state")}, &out), 0);
        return QJsonDocument::fromJson(out).object();
    }

    test::TempDir dir_;
    test::SimProcess sim_{dir_};
    VirtualDispatch dispatch_;
    MemoryPreferences preferences_;
    std::shared_ptr<test::FakeProcessActivity> activity_ = std::make_shared<test::FakeProcessActivity>();
    std::unique_ptr<ModelServices> model_;
};

TEST_F(ModelAgainstSim, StartUpPublishesLiveReadingsFindsTheDaemonAndHoldsTheAppLease)
{
    ThermalManager& thermal = model_->thermal();
    model_->start();
    EXPECT_EQ(ThermalManager::shared(), &thermal);
    dispatch_.advance(Duration(1500));

    // Readings come from the simulator's SMC through the real smc tool.
    ASSERT_FALSE(thermal.allSensors().empty());
    EXPECT_GT(thermal.cpuTemperature(), 20.0);
    EXPECT_LT(thermal.cpuTemperature(), 110.0);
    EXPECT_EQ(thermal.currentFanRPM(), std::max(thermal.fan0RPM(), thermal.fan1RPM()));
    EXPECT_FALSE(thermal.historyData().empty());

    // The availability check found the daemon and loaded the hardware profile; the heartbeat
    // reached the daemon, which now reports the application's lease.
    EXPECT_TRUE(thermal.daemonAvailable());
    EXPECT_TRUE(model_->capabilities().isLoaded());
    EXPECT_FALSE(model_->capabilities().profile().isBlank());
    EXPECT_TRUE(sim_.call(QStringLiteral("get_power_policy_state")).value(QStringLiteral("app_lease_active")).toBool());

    // The simulated Mac gets busy for five minutes: the next ticks publish the warmer CPU.
    const double before = thermal.cpuTemperature();
    ASSERT_EQ(sim_.ctl({QStringLiteral("load"), QStringLiteral("cpu_percent=100")}), 0);
    ASSERT_EQ(sim_.ctl({QStringLiteral("step"), QStringLiteral("seconds=300")}), 0);
    dispatch_.advance(Duration(2000));
    EXPECT_GT(thermal.cpuTemperature(), before + 5.0);
    EXPECT_EQ(thermal.historyData().back().cpuTemp, thermal.cpuTemperature());
}

TEST_F(ModelAgainstSim, LosingTheDaemonClearsCapabilitiesAndForgetsTheAppliedBatteryConfiguration)
{
    ThermalManager& thermal = model_->thermal();
    model_->start();
    dispatch_.advance(Duration(1500));
    ASSERT_TRUE(thermal.daemonAvailable());
    model_->battery().setLastBatteryConfigSignature(QStringLiteral("applied"));

    sim_.terminate();
    thermal.checkDaemonAvailability(); // as the onboarding and accessibility flows do
    dispatch_.runUntilIdle();
    EXPECT_FALSE(thermal.daemonAvailable());
    EXPECT_FALSE(model_->capabilities().isLoaded());
    EXPECT_EQ(model_->battery().lastBatteryConfigSignature(), std::nullopt);

    // The loop keeps running on the last good readings rather than stopping.
    const size_t points = thermal.historyData().size();
    dispatch_.advance(Duration(3000));
    EXPECT_GT(thermal.historyData().size(), points);
}

TEST_F(ModelAgainstSim, AHotMacGetsTheCurvesFanTargetAndAThrottleLevel)
{
    // A busy simulated Mac for ten minutes: hot enough for every built-in curve to ask for air.
    ASSERT_EQ(sim_.ctl({QStringLiteral("load"), QStringLiteral("cpu_percent=100")}), 0);
    ASSERT_EQ(sim_.ctl({QStringLiteral("step"), QStringLiteral("seconds=600")}), 0);
    FanControlState& fan = model_->thermal().fan();
    model_->start();
    fan.setFanMode(FanMode::Manual);
    dispatch_.advance(Duration(1500));
    const double temperature = model_->thermal().cpuTemperature();
    ASSERT_GT(temperature, 70.0);
    EXPECT_DOUBLE_EQ(fan.targetFanPercent(), calculateInterpolatedFanPercent(temperature, fan.currentCurve()));
    EXPECT_GT(fan.targetFanPercent(), 0.0);
    // Above 70 °C the tick also raises the throttle level, sent through the text bridge.
    EXPECT_NE(model_->thermal().throttle().currentLevel(), ThrottleLevel::normal);
}

TEST_F(ModelAgainstSim, TheFanApplierSendsTheCurrentConfigurationOnceTheProfileAllowsFanControl)
{
    FanConfigurationApplier& applier = model_->fanApplier();
    EXPECT_FALSE(applier.applyFanConfigurationNow(QStringLiteral("test"))) << "no profile yet: nothing is sent";
    model_->start();
    dispatch_.advance(Duration(1500));
    ASSERT_TRUE(model_->capabilities().profile().supportsSafeFanControl);

    model_->thermal().fan().setFanMode(FanMode::Manual);
    std::optional<bool> accepted;
    ASSERT_TRUE(applier.applyFanConfigurationNow(QStringLiteral("test"), [&](bool ok) { accepted = ok; }));
    dispatch_.runUntilIdle();
    EXPECT_EQ(accepted, true);
    const QJsonObject fan = sim_.call(QStringLiteral("reload_user_settings"))
                                .value(QStringLiteral("settings"))
                                .toObject()
                                .value(QStringLiteral("fan"))
                                .toObject();
    EXPECT_EQ(fan.value(QStringLiteral("mode")).toString(), QStringLiteral("manual"));
}

TEST_F(ModelAgainstSim, StoredSleepIntentFollowsTheBatteryCutoffInTheSimulatedMac)
{
    // Unplugged at 38 % before the application starts, so it has not seen the adapter lately.
    ASSERT_EQ(sim_.ctl({QStringLiteral("adapter"), QStringLiteral("connected=false")}), 0);
    ASSERT_EQ(sim_.ctl({QStringLiteral("battery"), QStringLiteral("percent=38")}), 0);
    // The daemon's stored copy is the user's intent (the settings synchronisation restores it
    // over the local mirror); the local preferences say the same.
    ASSERT_EQ(sim_.call(QStringLiteral("set_system_sleep_disabled"),
                        {{QStringLiteral("enabled"), true},
                         {QStringLiteral("battery_cutoff_percent"), 40},
                         {QStringLiteral("persist_user_intent"), true}})
                  .value(QStringLiteral("persisted"))
                  .toBool(),
              true);
    preferences_.setValue(QStringLiteral("darkKeepAliveUserIntentEnabled"), true);
    preferences_.setValue(QStringLiteral("darkKeepAliveEnabled"), true);
    preferences_.setValue(QStringLiteral("sleepBatteryCutoffPercent"), 43); // loads as 40
    preferences_.setValue(QStringLiteral("appNapSuppressionEnabled"), true);
    SleepSettingsState& sleep = model_->thermal().sleep();
    model_->start();
    EXPECT_EQ(sleep.sleepBatteryCutoffPercent(), 40);
    dispatch_.advance(seconds(3));

    QJsonObject state = simState();
    QJsonObject policy = state.value(QStringLiteral("power_policy")).toObject();
    EXPECT_EQ(policy.value(QStringLiteral("sleep_battery_cutoff_percent")).toInt(), 40);
    EXPECT_FALSE(policy.value(QStringLiteral("system_sleep_disabled_by_vantrel")).toBool(true));
    EXPECT_FALSE(state.value(QStringLiteral("system_sleep_requested_by_vantrel")).toBool(true))
        << "38 % is below the cut-off: the application itself hands sleep back";
    EXPECT_TRUE(sleep.userIntendedDarkKeepAliveEnabled());
    EXPECT_FALSE(sleep.darkKeepAliveEnabled()) << "the restored runtime flag is corrected";
    EXPECT_TRUE(model_->sleep().sleepLowBatteryVanillaActive());
    ASSERT_EQ(activity_->active().size(), 1u) << "each pass also reconciles App Nap";
    EXPECT_EQ(activity_->active().begin()->second.reason, QStringLiteral("Vantrel App Nap suppression"));

    ASSERT_EQ(sim_.ctl({QStringLiteral("battery"), QStringLiteral("percent=41")}), 0);
    dispatch_.advance(seconds(3));
    state = simState();
    EXPECT_FALSE(state.value(QStringLiteral("power_policy"))
                     .toObject()
                     .value(QStringLiteral("system_sleep_disabled_by_vantrel"))
                     .toBool(true));
    EXPECT_FALSE(state.value(QStringLiteral("system_sleep_requested_by_vantrel")).toBool(true))
        << "41 % is not above cut-off + 1";
    EXPECT_FALSE(sleep.darkKeepAliveEnabled());

    ASSERT_EQ(sim_.ctl({QStringLiteral("battery"), QStringLiteral("percent=42")}), 0);
    dispatch_.advance(seconds(3));
    state = simState();
    policy = state.value(QStringLiteral("power_policy")).toObject();
    EXPECT_TRUE(policy.value(QStringLiteral("system_sleep_disabled_by_vantrel")).toBool());
    EXPECT_TRUE(state.value(QStringLiteral("system_sleep_requested_by_vantrel")).toBool());
    EXPECT_EQ(policy.value(QStringLiteral("sleep_battery_cutoff_percent")).toInt(), 40);
    EXPECT_TRUE(sleep.darkKeepAliveEnabled());
    EXPECT_FALSE(model_->sleep().sleepLowBatteryVanillaActive());
}

TEST_F(ModelAgainstSim, TheSleepPageSwitchReachesTheSimulatedMacAndASecondRequestWins)
{
    ASSERT_EQ(sim_.ctl({QStringLiteral("adapter"), QStringLiteral("connected=true")}), 0);
    ASSERT_EQ(sim_.ctl({QStringLiteral("battery"), QStringLiteral("percent=80")}), 0);
    model_->start();
    dispatch_.advance(seconds(3));
    ModelSleepControls controls(ModelSleepControls::Parts{model_->thermal(), model_->sleep(), model_->keepAlive(),
                                                          model_->virtualDisplays(), model_->capabilities(),
                                                          model_->powerSources()});
    SleepPageModel page(controls);
    page.syncFromManager();
    ASSERT_TRUE(page.hardwareKnown());
    EXPECT_EQ(controls.batteryPercent(), 80);

    page.handleFeatureToggle(SleepPageModel::preventSleepFeature, true);
    EXPECT_TRUE(page.isBusy(SleepPageModel::preventSleepFeature));
    dispatch_.advance(seconds(2));
    EXPECT_FALSE(page.isBusy(SleepPageModel::preventSleepFeature));
    EXPECT_TRUE(page.isOn(SleepPageModel::preventSleepFeature));
    EXPECT_EQ(page.featureActionStatusKey(), QStringLiteral("sleep.status.apply_success"));
    EXPECT_TRUE(simState().value(QStringLiteral("system_sleep_requested_by_vantrel")).toBool());

    // On and straight off again: the page ends on the second request, and so does the Mac.
    page.handleFeatureToggle(SleepPageModel::preventSleepFeature, false);
    page.handleFeatureToggle(SleepPageModel::preventSleepFeature, true);
    page.handleFeatureToggle(SleepPageModel::preventSleepFeature, false);
    dispatch_.advance(seconds(3));
    EXPECT_FALSE(page.isBusy(SleepPageModel::preventSleepFeature));
    EXPECT_FALSE(page.isOn(SleepPageModel::preventSleepFeature));
    EXPECT_FALSE(page.featureActionFailed());
    EXPECT_FALSE(simState().value(QStringLiteral("system_sleep_requested_by_vantrel")).toBool(true));

    // The shared cut-off reaches the daemon's policy with the next pass.
    page.applySharedSleepBatteryCutoff(63);
    page.handleFeatureToggle(SleepPageModel::preventSleepFeature, true);
    dispatch_.advance(seconds(3));
    const QJsonObject policy = simState().value(QStringLiteral("power_policy")).toObject();
    EXPECT_EQ(policy.value(QStringLiteral("sleep_battery_cutoff_percent")).toInt(), 60);
    EXPECT_EQ(model_->thermal().sleep().virtualClamshellBatteryCutoffPercent(), 60);
}

TEST(ModelServices, RefusesACompositionWithoutAccessibility)
{
    test::TempDir dir;
    VirtualDispatch dispatch;
    MemoryPreferences preferences;
    const Paths paths = Paths::underRoot(dir.path());
    auto daemon = std::make_shared<DaemonClient>(
        std::make_shared<DaemonSocketTransport>(dispatch, dir.file("none.sock"), false));
    EXPECT_THROW(ModelServices(ModelServices::Inputs{dispatch, preferences, daemon, paths, makeSimPlatform(paths),
                                                     DesktopServices{}, QStringLiteral("/nonexistent/smc")}),
                 std::invalid_argument);
}

} // namespace
} // namespace vantrel
