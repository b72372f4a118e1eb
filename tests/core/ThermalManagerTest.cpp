#include <QFile>

#include <gtest/gtest.h>

#include "base/Preferences.h"
#include "base/VirtualDispatch.h"
#include "core/ThermalManager.h"
#include "daemon/DaemonClient.h"
#include "fan/FanControlState.h"
#include "fan/FanPresetStore.h"
#include "l10n/L10n.h"
#include "platform/fakes/FakeProcessActivity.h"
#include "platform/fakes/FakeUserNotifications.h"
#include "platform/fakes/FakeWorkspace.h"
#include "sleep/SleepSettingsState.h"
#include "support/FakeCollaborators.h"
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
    FanControlState fan{prefs};
    FanPresetStore presets{dir.paths(), prefs, dispatch.clock()};
    test::FakeCollaborators parts;
    QStringList& calls = parts.calls;

    Harness()
    {
        transport->replyOk("app_heartbeat");
        setCpu(50.0);
        parts.sample.fan0 = 1200;
        parts.sample.fan1 = 1400;
        parts.sample.batteryTemperature = 31.5;
        parts.scanResult = {{{"ollama", 4242, 10}}, LLMState::KeepAlive};
    }

    void setCpu(double celsius) { parts.sample.cpuTemperature = celsius; }
    void setReadings(std::vector<SensorReading> readings)
    {
        parts.sample.readingValues.clear();
        for (const auto& r : readings)
            parts.sample.readingValues.insert(r.key, r.value);
        parts.sample.readings = std::move(readings);
    }
    std::unique_ptr<ThermalManager> make()
    {
        ThermalManager::Services services{dispatch, prefs, daemon, dir.paths(), notifications, activity, workspace};
        services.systemLanguages = {"en-US"};
        ThermalManager::Collaborators collaborators{fan,   presets, parts, parts, parts, parts,
                                                    parts, parts,   parts, parts, parts, parts};
        return std::make_unique<ThermalManager>(services, collaborators);
    }
};

} // namespace

TEST(ThermalManager, TickPublishesInOrderAndBoundsHistory)
{
    Harness h;
    h.setReadings({SensorReading{QUuid::createUuid(), "TPVD", "VRAM", SensorCategory::GPU, 55.0}});
    auto manager = h.make();
    manager->start();
    h.dispatch.advance(1500ms); // start-up sequence + one tick
    h.calls.clear();
    h.dispatch.advance(1000ms);
    EXPECT_EQ(h.calls, (QStringList{"fan-sample", "sleep:monitor"}));
    EXPECT_EQ(manager->throttle().currentLevel(), ThrottleLevel::normal);
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
    EXPECT_EQ(h.parts.languageModelScans, 0);
    h.dispatch.advance(1000ms);
    EXPECT_EQ(h.parts.languageModelScans, 1);
    EXPECT_EQ(manager->fan().llmState(), LLMState::KeepAlive);
    h.dispatch.advance(6000ms);
    EXPECT_EQ(h.parts.languageModelScans, 2);
    EXPECT_EQ(manager->throttle().currentPids(), std::vector<int>{4242});
}

TEST(ThermalManager, ThrottleLevelsAndSurvivalModeAfterTenHotTicks)
{
    Harness h;
    h.prefs.setValue("selectedLanguage", "en");
    auto manager = h.make();
    manager->start();
    test::LogCapture log;
    h.setCpu(67.0);
    h.dispatch.advance(1000ms);
    EXPECT_EQ(manager->throttle().currentLevel(), ThrottleLevel::normal) << "the 65-70 gap keeps the level";
    h.setCpu(72.0);
    h.dispatch.advance(1000ms);
    EXPECT_EQ(manager->throttle().currentLevel(), ThrottleLevel::level1);
    h.setCpu(67.0);
    h.dispatch.advance(1000ms);
    EXPECT_EQ(manager->throttle().currentLevel(), ThrottleLevel::level1) << "the 65-70 gap keeps the level";
    h.setCpu(64.9);
    h.dispatch.advance(1000ms);
    EXPECT_EQ(manager->throttle().currentLevel(), ThrottleLevel::normal);
    h.setCpu(70.0);
    h.dispatch.advance(1000ms);
    EXPECT_EQ(manager->throttle().currentLevel(), ThrottleLevel::level1);

    h.setCpu(95.0);
    h.dispatch.advance(9000ms);
    EXPECT_EQ(manager->throttle().currentLevel(), ThrottleLevel::level3);
    EXPECT_TRUE(h.notifications->requests().empty()) << "nine hot ticks are not enough";
    h.dispatch.advance(1000ms);
    ASSERT_EQ(h.notifications->requests().size(), 1u);
    EXPECT_TRUE(log.contains(
        "⚠️ [SURVIVAL MODE] CRITICAL TEMPERATURE DETECTED: 95°C sustained for 10s. Forcing Low Power Mode."));
    QFile safety(h.dir.paths().safetyLogFile());
    ASSERT_TRUE(safety.open(QIODevice::ReadOnly));
    EXPECT_TRUE(safety.readAll().contains("CRITICAL TEMPERATURE DETECTED: 95"));
    EXPECT_TRUE(h.notifications->requests().back().body.contains("95"));
    h.dispatch.advance(1000ms);
    EXPECT_EQ(h.notifications->requests().size(), 2u) << "every later hot tick triggers again";

    h.setCpu(85.0);
    h.dispatch.advance(1000ms);
    EXPECT_EQ(manager->highTempDuration(), 0);
    EXPECT_EQ(manager->throttle().currentLevel(), ThrottleLevel::level2);

    // With notifications switched off survival mode still prints but posts nothing.
    h.prefs.setValue("showNotifications", false);
    h.setCpu(95.0);
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
    h.parts.loaded = true;
    h.parts.generation = 1;
    h.dispatch.advance(52000ms); // 54 s: eleven firings so far (0, 5, … 50 s)
    EXPECT_EQ(h.calls.count("evidence"), 0);
    h.dispatch.advance(1000ms);
    EXPECT_EQ(h.calls.count("evidence"), 1);
    EXPECT_EQ(h.calls.count("caps-probe"), 1) << "placeholder profile while the daemon is up";
    // One from the start-up sequence plus twelve timer firings.
    EXPECT_EQ(h.transport->requestsFor("app_heartbeat").size(), 13u);

    // A real profile with daemon settings not ready yet probes the settings instead.
    h.parts.placeholder = false;
    h.parts.settingsReady = false;
    h.calls.clear();
    h.dispatch.advance(60000ms);
    EXPECT_EQ(h.calls.filter("evidence") + h.calls.filter("probe"),
              (QStringList{"evidence", "settings-probe:heartbeat-probe"}));
}

// A firing whose minute work outlasts the interval (a slow daemon) must not overlap the next
// firings: they are skipped, so no heartbeat is sent twice at once and the count stays whole.
TEST(ThermalManager, HeartbeatFiringsNeverOverlap)
{
    Harness h;
    auto manager = h.make();
    // The daemon exchange of the minute's capture takes twelve seconds of virtual time.
    h.parts.onCapture = [&] { h.dispatch.advance(12000ms); };
    manager->start();
    h.dispatch.advance(55000ms + 1ms); // the twelfth firing at 55 s captures
    EXPECT_EQ(h.calls.count("evidence"), 1);
    // Firings at 60 and 65 s came during the capture and were skipped; 70 s is the next one.
    EXPECT_EQ(h.transport->requestsFor("app_heartbeat").size(), 1u + 12u);
    h.dispatch.advance(4000ms);
    EXPECT_EQ(h.transport->requestsFor("app_heartbeat").size(), 1u + 13u);
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
    EXPECT_TRUE(
        log.contains("Vantrel: vantrel-node daemon is not available. Install/start it with vantrel-node/install.sh."));

    // Still down: nothing more happens.
    h.calls.clear();
    manager->checkDaemonAvailability();
    h.dispatch.runUntilIdle();
    EXPECT_TRUE(h.calls.isEmpty());

    h.transport->reply(
        "get_status",
        QJsonObject{{"status", "ok"}, {"cpu_temp", 51.7}, {"fan0", 1800}, {"fan1", 1900}, {"battery_percent", 77}});
    manager->checkDaemonAvailability();
    h.dispatch.runUntilIdle();
    EXPECT_EQ(manager->daemonStatusText(), QStringLiteral("CPU 51°C · Fan 1800/1900 RPM · Battery 77%"));

    // Steady and connected: an unloaded store that never refreshed is refreshed; a loaded placeholder probed.
    // A store that has begun a refresh keeps its own retries: no second refresh.
    auto steadyCheck = [&](bool loaded, bool placeholder, std::uint64_t generation) {
        h.parts.loaded = loaded;
        h.parts.placeholder = placeholder;
        h.parts.generation = generation;
        manager->checkDaemonAvailability();
        h.dispatch.runUntilIdle();
    };
    h.calls.clear();
    steadyCheck(false, true, 0);
    EXPECT_EQ(h.calls, QStringList{"caps-refresh"});
    h.calls.clear();
    steadyCheck(false, true, 1);
    EXPECT_TRUE(h.calls.isEmpty()) << "a refresh in flight is not restarted";
    steadyCheck(true, true, 1);
    EXPECT_EQ(h.calls, QStringList{"caps-probe"});
    h.calls.clear();
    steadyCheck(true, false, 1);
    EXPECT_TRUE(h.calls.isEmpty());
}

// Without a stored language the system's first language is used when it is one of ours, and
// nothing is stored until the user picks one.
TEST(ThermalManager, LanguageFollowsTheSystemUntilChosen)
{
    Harness h;
    ThermalManager::Services services{h.dispatch,      h.prefs,    h.daemon,   h.dir.paths(),
                                      h.notifications, h.activity, h.workspace};
    services.systemLanguages = {"ko-KR", "en-US"};
    ThermalManager::Collaborators parts{h.fan,   h.presets, h.parts, h.parts, h.parts, h.parts,
                                        h.parts, h.parts,   h.parts, h.parts, h.parts, h.parts};
    auto manager = std::make_unique<ThermalManager>(services, parts);
    manager->start();
    EXPECT_EQ(manager->selectedLanguage(), QStringLiteral("ko"));
    EXPECT_EQ(L10n::currentLanguage(), QStringLiteral("ko"));
    EXPECT_EQ(h.prefs.optionalString("selectedLanguage"), std::nullopt);
    manager->setSelectedLanguage("ja");
    EXPECT_EQ(h.prefs.optionalString("selectedLanguage"), QStringLiteral("ja"));
    L10n::setCurrentLanguage("en");
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
    const QString pane
        = QStringLiteral("x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility");
    EXPECT_TRUE(manager->openSystemSettingsPane(pane));
    EXPECT_FALSE(manager->openSystemSettingsPane(QStringLiteral("not a url at all")));
    EXPECT_FALSE(manager->openSystemSettingsPane(QString()));
    EXPECT_EQ(h.workspace->openedUrls, QStringList{pane});
}
