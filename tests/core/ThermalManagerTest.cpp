#include <QFile>

#include <gtest/gtest.h>

#include "base/Preferences.h"
#include "base/VirtualDispatch.h"
#include "core/ThermalManager.h"
#include "daemon/DaemonClient.h"
#include "fan/FanControlState.h"
#include "platform/fakes/FakeProcessActivity.h"
#include "platform/fakes/FakeUserNotifications.h"
#include "platform/fakes/FakeWorkspace.h"
#include "sleep/SleepSettingsState.h"
#include "support/FakeDaemonTransport.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"

using namespace vantrel;
using namespace std::chrono_literals;

namespace {

struct Harness {
    test::TempDir dir;
    VirtualDispatch dispatch;
    MemoryPreferences prefs;
    std::shared_ptr<test::FakeDaemonTransport> transport = std::make_shared<test::FakeDaemonTransport>();
    DaemonClient daemon{transport};
    std::shared_ptr<test::FakeUserNotifications> notifications = std::make_shared<test::FakeUserNotifications>();
    std::shared_ptr<test::FakeProcessActivity> activity = std::make_shared<test::FakeProcessActivity>();
    std::shared_ptr<test::FakeWorkspace> workspace = std::make_shared<test::FakeWorkspace>();
    ThermalManagerHooks hooks;
    QStringList calls;
    double cpu = 50.0;
    std::vector<SensorReading> readings;
    std::vector<std::pair<int, std::vector<int>>> throttles;
    int llmScans = 0;
    CapabilityStoreView store;

    Harness()
    {
        transport->replyOk("app_heartbeat");
        hooks.refreshSensors = [this] {
            SensorSample s;
            s.cpuTemperature = cpu;
            s.fan0 = 1200;
            s.fan1 = 1400;
            s.readings = readings;
            return s;
        };
        hooks.batteryTemperature = [] { return 31.5; };
        hooks.scanLLMProcesses = [this] {
            ++llmScans;
            return std::make_pair(std::vector<LLMProcess>{{"ollama", 4242, 10}}, LLMState::KeepAlive);
        };
        hooks.recordFanCurveSample = [this](const HistoryDataPoint&) { calls << "fan-sample"; };
        hooks.reconcileSleepRuntime = [this](const QString& reason) { calls << "sleep:" + reason; };
        hooks.scheduleSleepRuntimeReconcile = [this](const QString& reason) { calls << "schedule:" + reason; };
        hooks.updateDisplayedFanTarget = [this](double) { calls << "fan-target"; };
        hooks.applyThrottle = [this](int level, const std::vector<int>& pids) {
            calls << "throttle";
            throttles.emplace_back(level, pids);
        };
        hooks.captureEvidence = [this] { calls << "evidence"; };
        hooks.capabilityStore = [this] { return store; };
        hooks.refreshCapabilities = [this] { calls << "caps-refresh"; };
        hooks.probeCapabilitiesAfterExhaustion = [this] { calls << "caps-probe"; };
        hooks.clearCapabilities = [this] { calls << "caps-clear"; };
        hooks.forgetBatteryConfigSignature = [this] { calls << "forget-battery"; };
        hooks.resetSleepApplyBookkeeping = [this] { calls << "reset-sleep"; };
        hooks.resetCanonicalSettingsSync = [this] { calls << "reset-settings"; };
    }

    std::unique_ptr<ThermalManager> make()
    {
        ThermalManager::Services services{dispatch, prefs, daemon, dir.paths(), notifications, activity, workspace};
        return std::make_unique<ThermalManager>(services, hooks);
    }
};

} // namespace

TEST(ThermalManager, TickPublishesInOrderAndBoundsHistory)
{
    Harness h;
    h.readings = {SensorReading{QUuid::createUuid(), "TPVD", "VRAM", SensorCategory::GPU, 55.0}};
    auto manager = h.make();
    manager->start();
    h.dispatch.advance(1500ms); // start-up sequence + one tick
    h.calls.clear();
    h.dispatch.advance(1000ms);
    EXPECT_EQ(h.calls, (QStringList{"fan-sample", "sleep:monitor", "fan-target", "throttle"}));
    EXPECT_DOUBLE_EQ(manager->gpuTemperature(), 40.0) << "no TG0D reading keeps the default";
    EXPECT_DOUBLE_EQ(manager->vramTemperature(), 55.0);
    EXPECT_DOUBLE_EQ(manager->batteryTemperature(), 31.5);
    EXPECT_EQ(manager->currentFanRPM(), 1400);

    h.dispatch.advance(70s);
    ASSERT_EQ(manager->historyData().size(), 60u);
    EXPECT_EQ(manager->historyData().back().fan1Rpm, 1400);
    EXPECT_LT(manager->historyData().front().timestamp, manager->historyData().back().timestamp);
}

TEST(ThermalManager, LanguageModelScanRunsEverySixthTick)
{
    Harness h;
    auto manager = h.make();
    manager->start();
    h.dispatch.advance(5000ms);
    EXPECT_EQ(h.llmScans, 0);
    h.dispatch.advance(1000ms);
    EXPECT_EQ(h.llmScans, 1);
    EXPECT_EQ(manager->fan().llmState(), LLMState::KeepAlive);
    h.dispatch.advance(6000ms);
    EXPECT_EQ(h.llmScans, 2);
    ASSERT_FALSE(h.throttles.empty());
    EXPECT_EQ(h.throttles.back().second, std::vector<int>{4242});
}

TEST(ThermalManager, ThrottleLevelsAndSurvivalModeAfterTenHotTicks)
{
    Harness h;
    h.prefs.setValue("selectedLanguage", "en");
    auto manager = h.make();
    manager->start();
    test::LogCapture log;
    h.cpu = 67.0;
    h.dispatch.advance(1000ms);
    EXPECT_TRUE(h.throttles.empty()) << "the 65-70 gap keeps the level";
    h.cpu = 64.9;
    h.dispatch.advance(1000ms);
    ASSERT_EQ(h.throttles.size(), 1u);
    EXPECT_EQ(h.throttles.back().first, 0);
    h.cpu = 70.0;
    h.dispatch.advance(1000ms);
    EXPECT_EQ(h.throttles.back().first, 1);

    h.cpu = 95.0;
    h.dispatch.advance(9000ms);
    EXPECT_EQ(h.throttles.back().first, 3);
    EXPECT_TRUE(h.notifications->requests().empty()) << "nine hot ticks are not enough";
    h.dispatch.advance(1000ms);
    ASSERT_EQ(h.notifications->requests().size(), 1u);
    EXPECT_TRUE(log.contains("⚠️ [SURVIVAL MODE] CRITICAL TEMPERATURE DETECTED: 95°C sustained for 10s. Forcing Low Power Mode."));
    QFile safety(h.dir.paths().safetyLogFile());
    ASSERT_TRUE(safety.open(QIODevice::ReadOnly));
    EXPECT_TRUE(safety.readAll().contains("CRITICAL TEMPERATURE DETECTED: 95"));
    EXPECT_TRUE(h.notifications->requests().back().body.contains("95"));
    h.dispatch.advance(1000ms);
    EXPECT_EQ(h.notifications->requests().size(), 2u) << "every later hot tick triggers again";

    h.cpu = 85.0;
    h.dispatch.advance(1000ms);
    EXPECT_EQ(manager->highTempDuration(), 0);
    EXPECT_EQ(h.throttles.back().first, 2);

    // With notifications switched off survival mode still prints but posts nothing.
    h.prefs.setValue("showNotifications", false);
    h.cpu = 95.0;
    h.dispatch.advance(10000ms);
    EXPECT_EQ(h.notifications->requests().size(), 2u);
    EXPECT_GE(log.count("SURVIVAL MODE"), 3);
}

TEST(ThermalManager, HeartbeatFiresAtOnceThenEveryFiveSecondsWithMinuteWork)
{
    Harness h;
    h.transport->replyOk("get_status");
    auto manager = h.make();
    manager->start();
    h.dispatch.advance(0ms);
    EXPECT_EQ(h.transport->requestsFor("app_heartbeat").size(), 1u);
    h.dispatch.advance(2000ms); // availability check came back: connected
    ASSERT_TRUE(manager->daemonAvailable());
    h.calls.clear();
    h.store = CapabilityStoreView{true, true, 1};
    h.dispatch.advance(52000ms); // 54 s: eleven firings so far (0, 5, … 50 s)
    EXPECT_EQ(h.calls.count("evidence"), 0);
    h.dispatch.advance(1000ms);
    EXPECT_EQ(h.calls.count("evidence"), 1);
    EXPECT_EQ(h.calls.count("caps-probe"), 1) << "placeholder profile while the daemon is up";
    // One from the start-up sequence plus twelve timer firings.
    EXPECT_EQ(h.transport->requestsFor("app_heartbeat").size(), 13u);
}

TEST(ThermalManager, AvailabilityTransitionsResetAndRefresh)
{
    Harness h;
    h.transport->reply("get_status", QJsonObject{{"status", "error"}});
    auto manager = h.make();
    test::LogCapture log;
    manager->checkDaemonAvailability();
    h.dispatch.runUntilIdle();
    EXPECT_TRUE(manager->daemonAvailable()) << "any reply counts as reachable";
    EXPECT_EQ(manager->daemonStatusText(), QStringLiteral("CPU 0°C · Fan 0/0 RPM · Battery N/A"));
    EXPECT_EQ(h.calls, (QStringList{"reset-sleep", "caps-refresh"}));
    EXPECT_TRUE(log.contains("Vantrel: vantrel-node daemon is available."));

    h.calls.clear();
    h.transport->reply("get_status", std::nullopt);
    manager->checkDaemonAvailability();
    h.dispatch.runUntilIdle();
    EXPECT_FALSE(manager->daemonAvailable());
    EXPECT_EQ(manager->daemonStatusText(), QStringLiteral("vantrel-node is not reachable"));
    EXPECT_EQ(h.calls, (QStringList{"reset-settings", "forget-battery", "caps-clear"}));
    EXPECT_TRUE(log.contains("Vantrel: vantrel-node daemon is not available. Install/start it with vantrel-node/install.sh."));

    // Still down: nothing more happens.
    h.calls.clear();
    manager->checkDaemonAvailability();
    h.dispatch.runUntilIdle();
    EXPECT_TRUE(h.calls.isEmpty());

    h.transport->reply("get_status", QJsonObject{{"status", "ok"}, {"cpu_temp", 51.7}, {"fan0", 1800}, {"fan1", 1900}, {"battery_percent", 77}});
    manager->checkDaemonAvailability();
    h.dispatch.runUntilIdle();
    EXPECT_EQ(manager->daemonStatusText(), QStringLiteral("CPU 51°C · Fan 1800/1900 RPM · Battery 77%"));

    // Steady and connected: an unloaded store that never refreshed is refreshed; a loaded placeholder probed.
    h.calls.clear();
    h.store = CapabilityStoreView{false, true, 0};
    manager->checkDaemonAvailability();
    h.dispatch.runUntilIdle();
    h.store = CapabilityStoreView{true, true, 1};
    manager->checkDaemonAvailability();
    h.dispatch.runUntilIdle();
    h.store = CapabilityStoreView{true, false, 1};
    manager->checkDaemonAvailability();
    h.dispatch.runUntilIdle();
    EXPECT_EQ(h.calls, (QStringList{"caps-refresh", "caps-probe"}));
}

TEST(ThermalManager, SettingsPersistAndRestoreAndSleepChangesScheduleReconcile)
{
    Harness h;
    h.prefs.setValue("useFahrenheit", true);
    h.prefs.setValue("selectedLanguage", "ko");
    h.prefs.setValue("sleepBatteryCutoffPercent", 45);
    h.prefs.setValue("appNapSuppressionEnabled", true);
    auto manager = h.make();
    manager->start();
    EXPECT_TRUE(manager->useFahrenheit());
    EXPECT_EQ(manager->selectedLanguage(), QStringLiteral("ko"));
    EXPECT_EQ(manager->sleep().sleepBatteryCutoffPercent(), 40) << "a tie goes to the lower option";
    EXPECT_FALSE(h.calls.contains("schedule:sleep-setting-change")) << "restored values do not count as changes";

    manager->setUseFahrenheit(false);
    EXPECT_EQ(h.prefs.optionalBool("useFahrenheit"), false);
    manager->sleep().setDisplayKeepAliveEnabled(true);
    EXPECT_TRUE(h.calls.contains("schedule:sleep-setting-change"));
    EXPECT_EQ(h.prefs.optionalBool("displayKeepAliveEnabled"), true);

    manager->reconcileAppNapActivity();
    manager->reconcileAppNapActivity();
    ASSERT_EQ(h.activity->begun(), 1);
    EXPECT_EQ(h.activity->active().begin()->second.reason, QStringLiteral("Vantrel App Nap suppression"));
    EXPECT_EQ(h.activity->active().begin()->second.options, ProcessActivity::userInitiatedOptions);
    manager->setAppNapSuppressionEnabled(false);
    manager->reconcileAppNapActivity();
    EXPECT_FALSE(manager->appNapActivityHeld());
    EXPECT_EQ(h.activity->ended(), 1);

    // Settings panes open by URL; text that is not a URL opens nothing.
    const QString pane = QStringLiteral("x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility");
    EXPECT_TRUE(manager->openSystemSettingsPane(pane));
    EXPECT_FALSE(manager->openSystemSettingsPane(QStringLiteral("not a url at all")));
    EXPECT_FALSE(manager->openSystemSettingsPane(QString()));
    EXPECT_EQ(h.workspace->openedUrls, QStringList{pane});
}
