#include <QJsonArray>

#include <gtest/gtest.h>

#include "base/Preferences.h"
#include "base/VirtualDispatch.h"
#include "core/DaemonSettingsSynchroniser.h"
#include "daemon/DaemonClient.h"
#include "fan/FanConfigurationApplier.h"
#include "fan/FanControlState.h"
#include "power/BatteryConfigurationApplier.h"
#include "power/BatteryPolicyState.h"
#include "sleep/SleepSettingsState.h"
#include "support/FakeCollaborators.h"
#include "support/FakeDaemonTransport.h"
#include "support/LogCapture.h"

using namespace vantrel;
using namespace std::chrono_literals;

namespace {

const QString kState = QStringLiteral("get_user_settings_state");
const QString kReload = QStringLiteral("reload_user_settings");
const QString kRestored = QStringLiteral("Vantrel daemon user intent and physical runtime restored.");
const QString kNotFound
    = QStringLiteral("Vantrel daemon user settings file not found; no legacy user settings were pushed.");

QJsonObject curve(const QString& name, double t0, double f0, double t1, double f1)
{
    return QJsonObject{{"name", name},
                       {"points",
                        QJsonArray{QJsonObject{{"temperature", t0}, {"fan_percent", f0}},
                                   QJsonObject{{"temperature", t1}, {"fan_percent", f1}}}}};
}

struct SyncHarness {
    VirtualDispatch dispatch;
    MemoryPreferences prefs;
    std::shared_ptr<test::FakeDaemonTransport> transport = std::make_shared<test::FakeDaemonTransport>();
    DaemonClient daemon{transport, QString()};
    FanControlState fan{prefs};
    BatteryPolicyState battery{prefs};
    SleepSettingsState sleep{prefs};
    test::FakeCollaborators parts; // records the sleep reconciles
    HardwareProfile profile;
    bool daemonAvailable = true;
    bool applierFanControl = true; // what the fan applier itself sees
    FanConfigurationApplier fanApplier{fan, daemon, dispatch, [this] { return applierFanControl; }};
    BatteryConfigurationApplier batteryApplier{battery, daemon, dispatch, [this] { return profile.hasBattery; }};
    DaemonSettingsSynchroniser sync{
        DaemonSettingsSynchroniser::Services{dispatch, daemon, prefs, [this] { return daemonAvailable; },
                                             [this] { return profile; }},
        DaemonSettingsSynchroniser::Targets{fan, fanApplier, battery, batteryApplier, parts}};
    test::LogCapture log;

    SyncHarness()
    {
        profile.modelIdentifier = QStringLiteral("MacBookPro18,1");
        profile.architecture = QStringLiteral("arm64");
        profile.fanCount = 2;
        profile.hasBattery = true;
        profile.supportsSafeFanControl = true;
        sync.bind(sleep);
    }

    void daemonHolds(const QJsonObject& settings, const QString& status = QStringLiteral("ok"),
                     std::optional<QString> code = std::nullopt)
    {
        transport->replyOk(kState, {{"exists", true}});
        QJsonObject reply{{"status", status}, {"load_status", "loaded"}, {"settings", settings}};
        if (code)
            reply.insert("code", *code);
        transport->reply(kReload, reply);
    }
    void daemonHoldsNothing() { transport->replyOk(kState, {{"exists", false}}); }
    int fetches() const { return static_cast<int>(transport->requestsFor(kState).size()); }
    int sleepReconciles(const QString& reason) const { return parts.calls.count("sleep:" + reason); }
};

QJsonObject fullSettings()
{
    return QJsonObject{{"fan",
                        QJsonObject{{"mode", "  Manual Curve "},
                                    {"unified", false},
                                    {"smart_app_preset", true},
                                    {"preset_name", "Quiet Desk"},
                                    {"left_curve", curve("Quiet Desk", 40, 20, 90, 80)},
                                    {"right_curve", curve("Quiet Right", 45, 25, 95, 85)}}},
                       {"battery",
                        QJsonObject{{"limit_enabled", true},
                                    {"target_limit", 40},
                                    {"charge_protector_enabled", true},
                                    {"safety_drain_enabled", true},
                                    {"safety_drain_target_percent", 70},
                                    {"heat_protection_enabled", true},
                                    {"max_battery_temp", 41.5}}},
                       {"sleep", QJsonObject{{"system_sleep_disabled", true}, {"battery_cutoff_percent", 35}}}};
}

} // namespace

TEST(DaemonSettingsSynchroniser, LoadedCopyReachesEverySettingThroughItsSetter)
{
    SyncHarness h;
    h.daemonHolds(fullSettings());
    h.sync.reconcileDaemonCanonicalUserSettings("startup");
    EXPECT_FALSE(h.sync.canonicalSettingsReady());
    h.dispatch.runUntilIdle();

    EXPECT_EQ(h.fan.fanMode(), FanMode::Manual);
    EXPECT_FALSE(h.fan.isUnifiedFanControl());
    EXPECT_TRUE(h.fan.smartAppPresetEnabled());
    EXPECT_EQ(h.fan.currentProfile(), "Quiet Desk");
    ASSERT_EQ(h.fan.currentCurve().points.size(), 2u);
    EXPECT_EQ(h.fan.currentCurve().name, "Quiet Desk");
    EXPECT_DOUBLE_EQ(h.fan.currentCurve().points[1].fanPercent, 80);
    EXPECT_EQ(h.fan.currentCurveRight().name, "Quiet Right");
    EXPECT_TRUE(h.battery.batteryLimitEnabled());
    EXPECT_EQ(h.battery.chargeLimit(), 50); // 40 is below the allowed range
    EXPECT_TRUE(h.battery.chargeProtectorEnabled());
    EXPECT_EQ(h.battery.chargeProtectorDropPercent(), 5);
    EXPECT_TRUE(h.battery.safetyDrainEnabled());
    EXPECT_EQ(h.battery.safetyDrainTargetPercent(), std::optional<int>(70));
    EXPECT_TRUE(h.battery.heatProtectionEnabled());
    EXPECT_DOUBLE_EQ(h.battery.maxBatteryTemp(), 41.5);
    EXPECT_TRUE(h.sleep.userIntendedDarkKeepAliveEnabled());
    EXPECT_TRUE(h.sleep.darkKeepAliveEnabled());
    EXPECT_EQ(h.sleep.sleepBatteryCutoffPercent(), 30); // 35 ties between 30 and 40: the lower wins
    EXPECT_EQ(h.sleep.virtualClamshellBatteryCutoffPercent(), 30);
    // The setters stored the values as a user change would.
    EXPECT_EQ(h.prefs.intValue("chargeLimit"), 50);
    EXPECT_EQ(h.prefs.stringValue("fanMode"), rawValue(FanMode::Manual));

    EXPECT_TRUE(h.sync.canonicalSettingsReady());
    EXPECT_TRUE(h.sync.canonicalSettingsExist());
    EXPECT_EQ(h.log.count(kRestored), 1);
    EXPECT_EQ(h.sleepReconciles("startup-restore-app-side-sleep-settings"), 1);
    EXPECT_EQ(h.fetches(), 1);
    EXPECT_EQ(h.transport->requestsFor(kReload).size(), 1u);
    // Applying the daemon's copy sends nothing back.
    EXPECT_TRUE(h.transport->requestsFor("set_fan_config").empty());
    EXPECT_TRUE(h.transport->requestsFor("set_system_sleep_disabled").empty());
}

TEST(DaemonSettingsSynchroniser, OtherModeWordsHighLimitsPartialStatusAndMissingKeys)
{
    SyncHarness h;
    h.fan.setFanMode(FanMode::Manual);
    h.battery.setBatteryLimitEnabled(false);
    h.battery.setSafetyDrainTargetPercent(60);
    h.battery.setMaxBatteryTemp(38.0);
    h.sleep.setSleepBatteryCutoffPercent(60);
    h.daemonHolds(QJsonObject{{"fan", QJsonObject{{"mode", "custom"}, {"left_curve", QJsonObject{{"name", "x"}}}}},
                              {"battery", QJsonObject{{"target_limit", 120}, {"limit_enabled", "yes"}}}},
                  "partial", QStringLiteral("ERR_FAN_RESTORE"));
    const auto leftBefore = h.fan.currentCurve();
    h.sync.reconcileDaemonCanonicalUserSettings("startup");
    h.dispatch.runUntilIdle();

    EXPECT_EQ(h.fan.fanMode(), FanMode::Auto);
    EXPECT_EQ(h.fan.currentCurve().id, leftBefore.id); // a curve that does not convert is ignored
    EXPECT_EQ(h.battery.chargeLimit(), 100);
    EXPECT_FALSE(h.battery.batteryLimitEnabled()); // mistyped: unchanged
    EXPECT_EQ(h.battery.safetyDrainTargetPercent(), std::nullopt); // missing: cleared
    EXPECT_DOUBLE_EQ(h.battery.maxBatteryTemp(), 38.0); // missing: unchanged
    EXPECT_EQ(h.sleep.sleepBatteryCutoffPercent(), 60); // no sleep section: unchanged
    EXPECT_TRUE(
        h.log.contains("Vantrel daemon user intent restored; physical runtime remains pending: ERR_FAN_RESTORE"));
    EXPECT_EQ(h.log.count(kRestored), 0);
    EXPECT_TRUE(h.sync.canonicalSettingsExist());

    // A partial reload without a code names the generic one.
    h.daemonHolds(QJsonObject{}, "partial");
    h.sync.reconcileDaemonCanonicalUserSettings("again");
    h.dispatch.runUntilIdle();
    EXPECT_TRUE(h.log.contains(
        "Vantrel daemon user intent restored; physical runtime remains pending: ERR_RUNTIME_RESTORE_PARTIAL"));
}

TEST(DaemonSettingsSynchroniser, UnusableRepliesLeaveTheStateUnsettledAndUnchanged)
{
    struct Case {
        const char* name;
        std::optional<QJsonObject> state;
        std::optional<QJsonObject> reload;
    };
    const QJsonObject exists{{"status", "ok"}, {"exists", true}};
    const std::vector<Case> cases{
        {"silent daemon", std::nullopt, std::nullopt},
        {"state not ok", QJsonObject{{"status", "error"}, {"exists", true}}, std::nullopt},
        {"no reload reply", exists, std::nullopt},
        {"not loaded", exists, QJsonObject{{"status", "ok"}, {"load_status", "missing"}, {"settings", QJsonObject{}}}},
        {"settings not an object", exists, QJsonObject{{"status", "ok"}, {"load_status", "loaded"}, {"settings", 3}}},
        {"status error", exists,
         QJsonObject{{"status", "error"}, {"load_status", "loaded"}, {"settings", QJsonObject{}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SyncHarness h;
        h.daemonAvailable = false; // no retries here
        h.transport->reply(kState, c.state);
        h.transport->reply(kReload, c.reload);
        h.sync.reconcileDaemonCanonicalUserSettings("startup");
        h.dispatch.runUntilIdle();
        EXPECT_FALSE(h.sync.canonicalSettingsReady());
        EXPECT_FALSE(h.sync.canonicalSettingsExist());
        EXPECT_EQ(h.log.count("Vantrel user settings sync skipped (startup); canonical readback unavailable."), 1);
        EXPECT_EQ(h.battery.chargeLimit(), BatteryPolicyState(h.prefs).chargeLimit());
        EXPECT_TRUE(h.parts.calls.isEmpty()); // no sleep reconcile follows
    }

    // "exists" missing or not a boolean means the daemon holds no copy.
    for (const QJsonValue& marker : {QJsonValue(), QJsonValue("true")}) {
        SyncHarness h;
        QJsonObject reply{{"status", "ok"}};
        if (!marker.isUndefined())
            reply.insert("exists", marker);
        h.transport->reply(kState, reply);
        h.sync.reconcileDaemonCanonicalUserSettings("startup");
        h.dispatch.runUntilIdle();
        EXPECT_TRUE(h.sync.canonicalSettingsReady());
        EXPECT_FALSE(h.sync.canonicalSettingsExist());
        EXPECT_TRUE(h.transport->requestsFor(kReload).empty());
    }
}

TEST(DaemonSettingsSynchroniser, UnavailableRetriesFiveTimesThenOnlyTheMinuteProbe)
{
    SyncHarness h;
    h.transport->reply(kState, QJsonObject{{"status", "error"}});
    h.sync.reconcileDaemonCanonicalUserSettings("startup");
    h.dispatch.runUntilIdle();
    ASSERT_EQ(h.fetches(), 1);

    // The probe does nothing while retries remain.
    h.sync.probeDaemonCanonicalSettingsAfterExhaustion("heartbeat-probe");
    h.dispatch.runUntilIdle();
    EXPECT_EQ(h.fetches(), 1);

    int expected = 1;
    for (int delay : {1, 2, 4, 8, 16}) {
        h.dispatch.advance(std::chrono::milliseconds(delay * 1000 - 1));
        EXPECT_EQ(h.fetches(), expected) << "early retry before " << delay << " s";
        h.dispatch.advance(1ms);
        EXPECT_EQ(h.fetches(), ++expected) << "retry after " << delay << " s";
    }
    EXPECT_TRUE(h.log.contains("Vantrel user settings sync skipped (startup-retry); canonical readback unavailable."));
    h.dispatch.advance(10min);
    EXPECT_EQ(h.fetches(), 6);
    EXPECT_FALSE(h.sync.retryScheduled());

    h.sync.probeDaemonCanonicalSettingsAfterExhaustion("heartbeat-probe");
    h.dispatch.runUntilIdle();
    EXPECT_EQ(h.fetches(), 7);
    h.dispatch.advance(10min); // a probe never schedules retries
    EXPECT_EQ(h.fetches(), 7);

    // A new reconcile starts the count again; once settled, the probe has nothing to do.
    h.daemonHoldsNothing();
    h.sync.reconcileDaemonCanonicalUserSettings("capability-successful-refresh");
    h.dispatch.runUntilIdle();
    EXPECT_TRUE(h.sync.canonicalSettingsReady());
    h.sync.probeDaemonCanonicalSettingsAfterExhaustion("heartbeat-probe");
    h.dispatch.runUntilIdle();
    EXPECT_EQ(h.fetches(), 8);
}

TEST(DaemonSettingsSynchroniser, NoRetryWithoutDaemonOrRealProfileAndLossCancelsTheRetry)
{
    {
        SyncHarness h;
        h.daemonAvailable = false;
        h.sync.reconcileDaemonCanonicalUserSettings("startup");
        h.dispatch.advance(1min);
        EXPECT_EQ(h.fetches(), 1);
        h.sync.probeDaemonCanonicalSettingsAfterExhaustion("heartbeat-probe");
        h.dispatch.runUntilIdle();
        EXPECT_EQ(h.fetches(), 1);
    }
    {
        SyncHarness h;
        h.profile = HardwareProfile();
        h.sync.reconcileDaemonCanonicalUserSettings("startup");
        h.dispatch.advance(1min);
        EXPECT_EQ(h.fetches(), 1);
        // A capability refresh with only the placeholder profile does not reconcile.
        h.sync.reconcileHardwareCapabilitiesAfterRefresh("successful-refresh");
        h.dispatch.runUntilIdle();
        EXPECT_EQ(h.fetches(), 1);
    }
    {
        SyncHarness h;
        h.sync.reconcileDaemonCanonicalUserSettings("startup");
        h.dispatch.runUntilIdle();
        ASSERT_TRUE(h.sync.retryScheduled());
        h.sync.resetAfterDaemonLoss();
        EXPECT_FALSE(h.sync.retryScheduled());
        h.dispatch.advance(1min);
        EXPECT_EQ(h.fetches(), 1);
        // After a capability refresh with a real profile the daemon is asked again.
        h.sync.reconcileHardwareCapabilitiesAfterRefresh("successful-refresh");
        h.dispatch.runUntilIdle();
        EXPECT_EQ(h.fetches(), 2);
        EXPECT_TRUE(h.log.contains(
            "Vantrel user settings sync skipped (capability-successful-refresh); canonical readback unavailable."));
    }
}

TEST(DaemonSettingsSynchroniser, ReconcilesWhileAFetchRunsShareItAndLateAnswersAreDropped)
{
    SyncHarness h;
    h.daemonHolds(fullSettings());
    h.sync.reconcileDaemonCanonicalUserSettings("startup");
    h.sync.reconcileDaemonCanonicalUserSettings("capability-successful-refresh");
    h.dispatch.runUntilIdle();
    EXPECT_EQ(h.fetches(), 1);
    EXPECT_TRUE(h.sync.canonicalSettingsReady());
    EXPECT_EQ(h.log.count(kRestored), 1);

    // The daemon is lost while the next fetch waits for its reload answer.
    h.log.clear();
    h.battery.setChargeLimit(80);
    h.transport->handle(kReload, [&h](const QJsonObject&) -> std::optional<QJsonObject> {
        h.sync.resetAfterDaemonLoss();
        return QJsonObject{{"status", "ok"}, {"load_status", "loaded"}, {"settings", fullSettings()}};
    });
    h.sync.reconcileDaemonCanonicalUserSettings("capability-successful-refresh");
    h.dispatch.runUntilIdle();
    EXPECT_FALSE(h.sync.canonicalSettingsReady());
    EXPECT_EQ(h.battery.chargeLimit(), 80);
    EXPECT_EQ(h.log.count(kRestored), 0);

    // Nothing is left in flight: the next reconcile fetches and applies.
    h.daemonHolds(fullSettings());
    h.sync.reconcileDaemonCanonicalUserSettings("capability-successful-refresh");
    h.dispatch.runUntilIdle();
    EXPECT_EQ(h.fetches(), 3);
    EXPECT_EQ(h.battery.chargeLimit(), 50);
    EXPECT_TRUE(h.sync.canonicalSettingsReady());
}

TEST(DaemonSettingsSynchroniser, NoCopyAndNoLegacyKeysSendsNothingAndSaysSoOncePerFetch)
{
    SyncHarness h;
    h.daemonHoldsNothing();
    h.sync.reconcileDaemonCanonicalUserSettings("startup");
    h.dispatch.runUntilIdle();
    EXPECT_TRUE(h.sync.canonicalSettingsReady());
    EXPECT_FALSE(h.sync.canonicalSettingsExist());
    EXPECT_EQ(h.log.count(kNotFound), 1);
    EXPECT_EQ(h.sleepReconciles("startup-restore-legacy-app-side-sleep-settings"), 1);
    h.sync.reconcileDaemonCanonicalUserSettings("capability-successful-refresh");
    h.dispatch.runUntilIdle();
    EXPECT_EQ(h.log.count(kNotFound), 2);
    EXPECT_EQ(h.transport->requests().size(), 2u); // the two state questions only
}

TEST(DaemonSettingsSynchroniser, LegacySettingsArePushedOnceInOrder)
{
    SyncHarness h;
    h.prefs.setValue("fanMode", rawValue(FanMode::Manual));
    h.prefs.setValue("chargeLimit", 75);
    h.prefs.setValue("displayKeepAliveEnabled", true);
    h.sleep.setDisplayKeepAliveEnabled(true);
    h.sleep.setSleepBatteryCutoffPercent(40);
    h.daemonHoldsNothing();
    h.transport->replyOk("set_fan_config");
    h.transport->replyOk("set_battery_config");
    h.transport->replyOk("set_system_sleep_disabled", {{"requested_enabled", true}, {"effective_enabled", true}});
    h.sync.reconcileDaemonCanonicalUserSettings("startup");
    h.dispatch.runUntilIdle();

    QStringList sent;
    for (const auto& r : h.transport->requests())
        sent << r.value("cmd").toString();
    // The sleep push runs synchronously during the apply; fan and battery follow from their queue in order.
    EXPECT_EQ(sent, (QStringList{kState, "set_system_sleep_disabled", "set_fan_config", "set_battery_config"}));
    const QJsonObject sleepRequest = h.transport->requestsFor("set_system_sleep_disabled").at(0);
    EXPECT_EQ(sleepRequest.value("enabled"), QJsonValue(true));
    EXPECT_EQ(sleepRequest.value("battery_cutoff_percent"), QJsonValue(40));
    EXPECT_EQ(sleepRequest.value("persist_user_intent"), QJsonValue(true));

    EXPECT_FALSE(h.sync.pendingLegacyFanMigration());
    EXPECT_FALSE(h.sync.pendingLegacyBatteryMigration());
    EXPECT_FALSE(h.sync.pendingLegacySleepMigration());
    EXPECT_EQ(h.log.count("Vantrel migrated legacy fan UserDefaults to daemon user settings."), 1);
    EXPECT_EQ(h.log.count("Vantrel migrated legacy battery UserDefaults to daemon user settings."), 1);
    EXPECT_EQ(h.log.count("Vantrel migrated legacy sleep UserDefaults to daemon user settings "
                          "(startup-migrate-user-settings)."),
              1);
    EXPECT_EQ(h.log.count(kNotFound), 0);
    EXPECT_EQ(h.sleepReconciles("startup-restore-legacy-app-side-sleep-settings"), 1);
}

TEST(DaemonSettingsSynchroniser, LegacyReplaysHonourCapabilitiesAndStayPendingOnFailure)
{
    SyncHarness h;
    h.prefs.setValue("isUnifiedFanControl", false);
    h.prefs.setValue("maxBatteryTemp", 40.0);
    h.prefs.setValue("lockOnLidOpenEnabled", true);
    h.profile.supportsSafeFanControl = false;
    h.profile.hasBattery = false;
    h.daemonHoldsNothing();
    h.transport->reply("set_system_sleep_disabled",
                       QJsonObject{{"status", "error"}, {"requested_enabled", false}, {"effective_enabled", false}});
    h.sync.reconcileDaemonCanonicalUserSettings("startup");
    h.dispatch.runUntilIdle();
    EXPECT_TRUE(h.transport->requestsFor("set_fan_config").empty());
    EXPECT_TRUE(h.transport->requestsFor("set_battery_config").empty());
    EXPECT_EQ(h.transport->requestsFor("set_system_sleep_disabled").size(), 1u);
    EXPECT_TRUE(h.sync.pendingLegacyFanMigration());
    EXPECT_TRUE(h.sync.pendingLegacyBatteryMigration());
    EXPECT_TRUE(h.sync.pendingLegacySleepMigration());
    EXPECT_FALSE(h.log.contains("Vantrel migrated legacy"));

    // With the flags, but the daemon rejects the fan and battery pushes.
    h.profile.supportsSafeFanControl = true;
    h.profile.hasBattery = true;
    h.transport->reply("set_fan_config", QJsonObject{{"status", "error"}});
    h.transport->reply("set_battery_config", QJsonObject{{"status", "error"}});
    h.sync.reconcileDaemonCanonicalUserSettings("capability-successful-refresh");
    h.dispatch.runUntilIdle();
    EXPECT_EQ(h.transport->requestsFor("set_fan_config").size(), 1u);
    EXPECT_EQ(h.transport->requestsFor("set_battery_config").size(), 1u);
    EXPECT_EQ(h.log.count("Vantrel legacy fan migration remains pending after daemon rejected the apply."), 1);
    EXPECT_TRUE(h.sync.pendingLegacyFanMigration());
    EXPECT_TRUE(h.sync.pendingLegacyBatteryMigration());

    // The profile allows fan control but the applier cannot send yet: deferred.
    h.applierFanControl = false;
    h.sync.reconcileDaemonCanonicalUserSettings("capability-successful-refresh");
    h.dispatch.runUntilIdle();
    EXPECT_EQ(h.transport->requestsFor("set_fan_config").size(), 1u);
    EXPECT_TRUE(
        h.log.contains("Vantrel legacy fan migration deferred (capability-successful-refresh-migrate-user-settings)"));

    // Once the daemon holds a copy, it wins: nothing is left to migrate.
    h.daemonHolds(QJsonObject{});
    h.sync.reconcileDaemonCanonicalUserSettings("capability-successful-refresh");
    h.dispatch.runUntilIdle();
    EXPECT_FALSE(h.sync.pendingLegacyFanMigration());
    EXPECT_FALSE(h.sync.pendingLegacyBatteryMigration());
    EXPECT_FALSE(h.sync.pendingLegacySleepMigration());
}
