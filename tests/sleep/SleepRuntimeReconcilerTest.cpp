#include "sleep/SleepRuntimeReconciler.h"

#include <QJsonObject>

#include <gtest/gtest.h>

#include "base/Preferences.h"
#include "base/VirtualDispatch.h"
#include "daemon/DaemonClient.h"
#include "platform/fakes/FakeDisplays.h"
#include "platform/fakes/FakePowerServices.h"
#include "power/PowerSourceMonitor.h"
#include "sleep/RecordingKeepAliveController.h"
#include "sleep/SleepSettingsState.h"
#include "sleep/VirtualDisplayManager.h"
#include "support/FakeDaemonTransport.h"
#include "support/LogCapture.h"

namespace vantrel {
namespace {

const QString kSleepCommand = QStringLiteral("set_system_sleep_disabled");

QJsonObject sleepReply(bool requested, bool effective, bool vanilla = false)
{
    return QJsonObject{{QStringLiteral("status"), QStringLiteral("ok")},
                       {QStringLiteral("requested_enabled"), requested},
                       {QStringLiteral("effective_enabled"), effective},
                       {QStringLiteral("low_battery_vanilla_active"), vanilla}};
}

bool enabledOf(const QJsonObject& request) { return request.value(QStringLiteral("enabled")).toBool(); }

struct ReconcilerRig {
    test::LogCapture log;
    VirtualDispatch dispatch;
    std::shared_ptr<test::FakeDaemonTransport> transport = std::make_shared<test::FakeDaemonTransport>();
    DaemonClient daemon{transport};
    std::shared_ptr<test::FakePowerSources> sources = std::make_shared<test::FakePowerSources>();
    std::shared_ptr<test::FakePmsetBattery> pmset = std::make_shared<test::FakePmsetBattery>();
    std::shared_ptr<test::FakeDisplays> displays = std::make_shared<test::FakeDisplays>();
    VirtualDisplayManager virtualDisplay{displays};
    test::RecordingKeepAliveController keepAlive;
    MemoryPreferences prefs;
    SleepSettingsState settings{prefs};
    bool supportsClamshell = true;
    QStringList shieldReleases;
    int appNapPasses = 0;
    std::unique_ptr<SleepRuntimeReconciler> reconciler;

    ReconcilerRig()
    {
        displays->state().online.push_back(DisplayInfo{1, true, 0x610, 0xA050, 0});
        // A daemon that does what it is asked.
        answerAsAsked();
        auto power = std::make_shared<PowerSourceMonitor>(sources, std::make_shared<test::FakeBatteryRegistry>(), pmset,
                                                          nullptr);
        reconciler = std::make_unique<SleepRuntimeReconciler>(SleepRuntimeReconciler::Services{
            dispatch, daemon, power, virtualDisplay, keepAlive, [this] { return supportsClamshell; },
            [this](const QString& reason) { shieldReleases << reason; }});
        reconciler->bind(settings, [this] { ++appNapPasses; });
    }

    void answerAsAsked()
    {
        transport->handle(kSleepCommand, [](const QJsonObject& r) { return sleepReply(enabledOf(r), enabledOf(r)); });
    }
    void power(bool adapter, std::optional<int> percent)
    {
        QJsonObject d{{QStringLiteral("Power Source State"),
                       adapter ? QStringLiteral("AC Power") : QStringLiteral("Battery Power")}};
        if (percent) {
            d.insert(QStringLiteral("Current Capacity"), *percent);
            d.insert(QStringLiteral("Max Capacity"), 100);
        }
        sources->description = d;
    }
    void reconcile(const QString& reason = QStringLiteral("monitor"))
    {
        reconciler->reconcileSleepRuntime(reason);
        dispatch.runUntilIdle();
    }
    // A monitoring loop calling the pass every `interval` from the main queue.
    CancelToken monitor(Duration interval)
    {
        return dispatch.every(dispatch.main(), interval, Duration(0),
                              [this] { reconciler->reconcileSleepRuntime(QStringLiteral("monitor")); });
    }
    std::vector<QJsonObject> requests() const { return transport->requestsFor(kSleepCommand); }
    QJsonObject lastRequest() const { return requests().empty() ? QJsonObject{} : requests().back(); }
    const SleepDaemonApplyState& apply() const { return reconciler->daemonApplyState(); }
};

TEST(SleepRuntimeReconciler, BatteryCutoffSuspendsBelowItAndResumesOnlyAboveItsHysteresis)
{
    ReconcilerRig rig;
    rig.settings.setSleepBatteryCutoffPercent(40);
    rig.reconciler->setSleepPreventionUserIntent(true, QStringLiteral("test"));
    EXPECT_TRUE(rig.log.contains(QStringLiteral("Vantrel sleep user intent (test): darkKeepAlive=true")));

    rig.power(false, 39);
    rig.reconcile();
    EXPECT_TRUE(rig.settings.darkKeepAliveEnabled()) << "39 % is inside the band: still allowed";
    EXPECT_FALSE(rig.reconciler->sleepLowBatteryVanillaActive());
    EXPECT_EQ(rig.lastRequest(),
              (QJsonObject{{QStringLiteral("cmd"), kSleepCommand},
                           {QStringLiteral("enabled"), true},
                           {QStringLiteral("battery_cutoff_percent"), 40},
                           {QStringLiteral("persist_user_intent"), false}}));
    EXPECT_TRUE(rig.keepAlive.active);
    EXPECT_EQ(rig.keepAlive.mode, 1);

    rig.power(false, 38);
    rig.reconcile();
    EXPECT_FALSE(rig.settings.darkKeepAliveEnabled()) << "38 % is below cut-off - 1";
    EXPECT_TRUE(rig.reconciler->sleepLowBatteryVanillaActive());
    EXPECT_FALSE(enabledOf(rig.lastRequest())) << "the daemon is told to let the Mac sleep";
    EXPECT_FALSE(rig.keepAlive.active);
    EXPECT_TRUE(rig.log.contains(QStringLiteral("Vantrel sleep runtime (reconcile-monitor): darkKeepAlive=false")));
    EXPECT_TRUE(rig.settings.userIntendedDarkKeepAliveEnabled()) << "the intent stays";

    const size_t sent = rig.requests().size();
    for (int percent : {39, 40, 41}) {
        rig.power(false, percent);
        rig.reconcile();
        EXPECT_FALSE(rig.settings.darkKeepAliveEnabled()) << percent << " % does not resume it";
        EXPECT_TRUE(rig.reconciler->sleepLowBatteryVanillaActive());
    }
    EXPECT_EQ(rig.requests().size(), sent) << "the confirmed configuration is not sent again";

    rig.power(false, 42);
    rig.reconcile();
    EXPECT_TRUE(rig.settings.darkKeepAliveEnabled()) << "42 % is above cut-off + 1";
    EXPECT_FALSE(rig.reconciler->sleepLowBatteryVanillaActive());
    EXPECT_TRUE(enabledOf(rig.lastRequest()));
    EXPECT_TRUE(rig.keepAlive.active);
    EXPECT_TRUE(rig.log.contains(QStringLiteral(
        "Vantrel sleep reconcile (daemon-sleep-apply-completed): external=false battery=42 darkKeepAlive=true "
        "virtualClamshell=false assertion=true mode=1 displayKeepAlive=false safetyLock=false")));
}

TEST(SleepRuntimeReconciler, UnknownBatteryOnBatterySuspendsSleepPreventionAndTheVirtualClamshell)
{
    ReconcilerRig rig;
    rig.reconciler->setSleepPreventionUserIntent(true, QStringLiteral("test"));
    rig.reconciler->setVirtualClamshellUserIntent(true, QStringLiteral("test"));
    rig.sources->description.reset(); // no power source, and pmset does not run
    rig.reconcile();
    EXPECT_FALSE(rig.settings.darkKeepAliveEnabled());
    EXPECT_FALSE(rig.settings.virtualDisplayEnabled());
    EXPECT_TRUE(rig.reconciler->sleepLowBatteryVanillaActive());
    EXPECT_TRUE(rig.reconciler->virtualClamshellLowBatteryVanillaActive());
    EXPECT_FALSE(enabledOf(rig.lastRequest()));
    EXPECT_FALSE(rig.virtualDisplay.isDisplayPresent());
    EXPECT_TRUE(rig.log.contains(QStringLiteral("battery=unknown")));

    // pmset's reading stands in for the missing power source.
    rig.pmset->setOutput("Now drawing from 'Battery Power'\n -InternalBattery-0 (id=1)\t75%; discharging;\n");
    rig.reconcile();
    EXPECT_TRUE(rig.settings.darkKeepAliveEnabled());
    EXPECT_TRUE(rig.settings.virtualDisplayEnabled());
    EXPECT_TRUE(rig.virtualDisplay.isDisplayPresent());
    EXPECT_TRUE(rig.log.contains(QStringLiteral("battery=75 ")));
}

TEST(SleepRuntimeReconciler, UnpluggingKeepsTheFeaturesAllowedForFiveMinutes)
{
    ReconcilerRig rig;
    rig.settings.setSleepBatteryCutoffPercent(40);
    rig.reconciler->setSleepPreventionUserIntent(true, QStringLiteral("test"));
    rig.power(true, 10);
    rig.reconcile();
    ASSERT_TRUE(rig.settings.darkKeepAliveEnabled()) << "on the adapter the cut-off does not apply";
    const QDateTime plugged = rig.dispatch.clock().now();
    EXPECT_EQ(rig.reconciler->lastExternalPowerSeenAt(), plugged);

    rig.power(false, 10);
    rig.dispatch.advance(seconds(300));
    rig.reconcile();
    EXPECT_TRUE(rig.settings.darkKeepAliveEnabled()) << "300 s after the last sight of the adapter";
    EXPECT_EQ(rig.reconciler->lastExternalPowerSeenAt(), plugged);

    rig.dispatch.advance(seconds(1));
    rig.reconcile();
    EXPECT_FALSE(rig.settings.darkKeepAliveEnabled()) << "301 s: the battery decides";
    EXPECT_TRUE(rig.reconciler->sleepLowBatteryVanillaActive());

    rig.power(true, 10);
    rig.reconcile();
    EXPECT_TRUE(rig.settings.darkKeepAliveEnabled());
}

TEST(SleepRuntimeReconciler, ARealExternalMonitorKeepsTheVirtualClamshellAndSafetyLockOff)
{
    ReconcilerRig rig;
    rig.settings.setDarkKeepAliveMode(0);
    rig.power(true, 80);
    rig.displays->state().online.push_back(DisplayInfo{2, false, 0x10AC, 0xA0C4, 12345});
    rig.reconciler->setVirtualClamshellUserIntent(true, QStringLiteral("test"));
    rig.reconciler->setSafetyLockUserIntent(true, QStringLiteral("test"));
    EXPECT_TRUE(rig.settings.virtualDisplayEnabled()) << "the switch moves at once";
    EXPECT_TRUE(rig.settings.lockOnLidOpenEnabled());

    rig.reconcile();
    EXPECT_FALSE(rig.settings.virtualDisplayEnabled());
    EXPECT_FALSE(rig.settings.lockOnLidOpenEnabled());
    EXPECT_EQ(rig.shieldReleases, QStringList{QStringLiteral("safety lock disabled")});
    EXPECT_TRUE(rig.settings.userIntendedVirtualDisplayEnabled());
    EXPECT_TRUE(rig.settings.userIntendedLockOnLidOpenEnabled());
    EXPECT_TRUE(rig.displays->state().created.empty());
    EXPECT_FALSE(rig.keepAlive.lidOpenLockMonitoring);
    EXPECT_EQ(rig.keepAlive.calls.back(), QStringLiteral("stop(false)"));
    EXPECT_FALSE(enabledOf(rig.lastRequest()));
    EXPECT_TRUE(rig.log.contains(QStringLiteral("external=true")));

    // Without the monitor both come into effect once the daemon confirmed, in extended mode.
    rig.displays->state().online.pop_back();
    rig.reconcile();
    EXPECT_TRUE(enabledOf(rig.lastRequest()));
    EXPECT_TRUE(rig.settings.virtualDisplayEnabled());
    EXPECT_TRUE(rig.settings.lockOnLidOpenEnabled());
    EXPECT_EQ(rig.settings.darkKeepAliveMode(), 1);
    EXPECT_EQ(rig.keepAlive.calls.back(), QStringLiteral("start(1)"));
    EXPECT_TRUE(rig.virtualDisplay.isDisplayPresent());
    EXPECT_TRUE(rig.keepAlive.lidOpenLockMonitoring);

    // The virtual display itself is no monitor; the stop keeps the lid-open lock monitor.
    rig.reconcile();
    EXPECT_TRUE(rig.settings.virtualDisplayEnabled());
    rig.displays->state().online.push_back(DisplayInfo{3, false, 0x10AC, 0xA0C4, 999});
    rig.reconcile();
    EXPECT_FALSE(rig.settings.virtualDisplayEnabled());
    EXPECT_FALSE(rig.virtualDisplay.isDisplayPresent());
    EXPECT_EQ(rig.shieldReleases.size(), 2);
}

TEST(SleepRuntimeReconciler, TheDisplayOnlyWishAsksTheDaemonAndHoldsTheDisplayOnlyOnceConfirmed)
{
    ReconcilerRig rig;
    rig.power(true, 80);
    std::vector<bool> displayAwakeWhenAsked;
    rig.transport->handle(kSleepCommand, [&](const QJsonObject& r) {
        displayAwakeWhenAsked.push_back(rig.keepAlive.displayAwake);
        return sleepReply(enabledOf(r), enabledOf(r));
    });
    rig.settings.setDisplayKeepAliveEnabled(true);
    rig.reconcile();
    ASSERT_EQ(rig.requests().size(), 1u);
    EXPECT_TRUE(enabledOf(rig.lastRequest())) << "the display-only wish needs system sleep held off";
    EXPECT_EQ(displayAwakeWhenAsked, std::vector<bool>{false}) << "no assertion before the daemon confirmed";
    EXPECT_TRUE(rig.keepAlive.displayAwake);
    EXPECT_FALSE(rig.settings.darkKeepAliveEnabled());
    EXPECT_FALSE(rig.keepAlive.active) << "keep-alive itself is not started for the display alone";

    rig.keepAlive.lidClosed = true;
    rig.reconcile();
    EXPECT_FALSE(rig.keepAlive.displayAwake) << "a closed lid without a monitor lets the display sleep";

    // A daemon that never answers never lets the assertion be taken.
    ReconcilerRig silent;
    silent.power(true, 80);
    silent.transport->reply(kSleepCommand, std::nullopt);
    silent.settings.setDisplayKeepAliveEnabled(true);
    silent.reconcile();
    EXPECT_EQ(silent.requests().size(), 1u);
    EXPECT_FALSE(silent.keepAlive.displayAwake);
    EXPECT_EQ(silent.apply().retryAttempt(), 1);
}

TEST(SleepRuntimeReconciler, FailingAppliesAreRetriedAfterOneTwoFourEightSixteenThenThirtySeconds)
{
    ReconcilerRig rig;
    rig.power(true, 80);
    std::vector<long long> sentAt;
    bool daemonAnswers = false;
    rig.transport->handle(kSleepCommand, [&](const QJsonObject& r) -> std::optional<QJsonObject> {
        sentAt.push_back(rig.dispatch.clock().elapsed().count());
        if (!daemonAnswers)
            return std::nullopt;
        return sleepReply(enabledOf(r), enabledOf(r));
    });
    rig.reconciler->setSleepPreventionUserIntent(true, QStringLiteral("test"));
    CancelToken loop = rig.monitor(Duration(100));
    rig.dispatch.advance(seconds(100));

    std::vector<long long> spacing;
    for (size_t i = 1; i < sentAt.size(); ++i)
        spacing.push_back(sentAt[i] - sentAt[i - 1]);
    EXPECT_EQ(spacing, (std::vector<long long>{1000, 2000, 4000, 8000, 16000, 30000, 30000}));
    EXPECT_EQ(rig.apply().retryAttempt(), 8);
    EXPECT_FALSE(rig.settings.darkKeepAliveEnabled()) << "never confirmed, never in effect";
    EXPECT_FALSE(rig.keepAlive.active);

    // The count stops at 30 and the spacing stays at 30 s.
    loop->cancel();
    loop = rig.monitor(seconds(1));
    rig.dispatch.advance(seconds(1000));
    EXPECT_EQ(rig.apply().retryAttempt(), 30);
    EXPECT_EQ(sentAt.back() - sentAt[sentAt.size() - 2], 30000);

    // Another configuration starts without waiting; the daemon answering ends the back-off.
    daemonAnswers = true;
    const size_t before = sentAt.size();
    rig.settings.setSleepBatteryCutoffPercent(30);
    rig.dispatch.advance(seconds(1));
    ASSERT_EQ(sentAt.size(), before + 1);
    EXPECT_EQ(rig.lastRequest().value(QStringLiteral("battery_cutoff_percent")).toInt(), 30);
    EXPECT_EQ(rig.apply().lastSignature(), QStringLiteral("true|30"));
    EXPECT_EQ(rig.apply().retryAttempt(), 0);
    EXPECT_FALSE(rig.apply().retryNotBefore());
    EXPECT_TRUE(rig.settings.darkKeepAliveEnabled());
}

TEST(SleepRuntimeReconciler, TheAnswerOfASupersededApplyIsDropped)
{
    ReconcilerRig rig;
    rig.power(true, 80);
    rig.settings.setSleepBatteryCutoffPercent(40);
    rig.reconciler->setSleepPreventionUserIntent(true, QStringLiteral("test"));
    int asked = 0;
    rig.transport->handle(kSleepCommand, [&](const QJsonObject& r) {
        if (++asked == 1) {
            // While the daemon works on the first apply the user picks another cut-off.
            rig.settings.setSleepBatteryCutoffPercent(30);
            rig.reconciler->reconcileSleepRuntime(QStringLiteral("sleep-shared-cutoff-slider"));
        }
        return sleepReply(enabledOf(r), enabledOf(r));
    });
    rig.reconcile();
    ASSERT_EQ(rig.requests().size(), 2u);
    EXPECT_EQ(rig.requests()[0].value(QStringLiteral("battery_cutoff_percent")).toInt(), 40);
    EXPECT_EQ(rig.requests()[1].value(QStringLiteral("battery_cutoff_percent")).toInt(), 30);
    EXPECT_EQ(rig.log.count(QStringLiteral("(daemon-sleep-apply-completed)")), 1) << "only the second answer counts";
    EXPECT_EQ(rig.apply().lastSignature(), QStringLiteral("true|30"));
    EXPECT_FALSE(rig.apply().inFlightSignature());
    EXPECT_TRUE(rig.settings.darkKeepAliveEnabled());
}

TEST(SleepRuntimeReconciler, ADaemonKeepingAnotherStateLeavesTheFeatureUnverifiedWithoutCountingAFailure)
{
    ReconcilerRig rig;
    rig.power(true, 80);
    rig.reconciler->setSleepPreventionUserIntent(true, QStringLiteral("test"));
    bool refuse = true;
    rig.transport->handle(
        kSleepCommand, [&](const QJsonObject& r) { return sleepReply(enabledOf(r), refuse ? false : enabledOf(r)); });
    rig.reconcile();
    EXPECT_EQ(rig.requests().size(), 1u) << "the pass that follows the answer does not ask again at once";
    EXPECT_TRUE(rig.log.contains(QStringLiteral("Vantrel sleep reconcile (daemon-sleep-safety-state-changed)")));
    EXPECT_FALSE(rig.apply().lastSignature());
    EXPECT_EQ(rig.apply().retryAttempt(), 0);
    EXPECT_FALSE(rig.apply().retryNotBefore());
    EXPECT_FALSE(rig.settings.darkKeepAliveEnabled());

    // The monitor asks again once a second until the daemon holds it.
    CancelToken loop = rig.monitor(seconds(1));
    rig.dispatch.advance(seconds(5));
    EXPECT_EQ(rig.requests().size(), 6u);
    EXPECT_FALSE(rig.settings.darkKeepAliveEnabled());
    refuse = false;
    rig.dispatch.advance(seconds(1));
    EXPECT_TRUE(rig.settings.darkKeepAliveEnabled());
    EXPECT_EQ(rig.apply().lastSignature(), QStringLiteral("true|50"));
    loop->cancel();

    // The daemon's own battery cut-off suspends the feature through the vanilla flag it reports.
    ReconcilerRig low;
    low.settings.setSleepBatteryCutoffPercent(40);
    low.power(false, 40);
    low.reconciler->setSleepPreventionUserIntent(true, QStringLiteral("test"));
    low.transport->handle(kSleepCommand, [](const QJsonObject& r) { return sleepReply(enabledOf(r), false, true); });
    low.reconcile();
    EXPECT_TRUE(low.reconciler->sleepLowBatteryVanillaActive());
    EXPECT_TRUE(low.reconciler->virtualClamshellLowBatteryVanillaActive());
    low.reconcile();
    EXPECT_FALSE(enabledOf(low.lastRequest())) << "suspended now, so sleep is handed back to macOS";
    EXPECT_EQ(low.apply().lastSignature(), QStringLiteral("false|40"));
    EXPECT_FALSE(low.settings.darkKeepAliveEnabled());
}

TEST(SleepRuntimeReconciler, UserRequestCompletesWithTheDaemonAnswerAMismatchOrSuperseded)
{
    std::vector<SleepRuntimeApplyResult> results;
    auto collect = [&results](const SleepRuntimeApplyResult& r) { results.push_back(r); };

    ReconcilerRig rig;
    rig.power(true, 80);
    rig.settings.setSleepBatteryCutoffPercent(40);
    rig.settings.setDarkKeepAliveMode(0);
    rig.reconciler->applySleepPreventionUserRequest(true, collect);
    rig.dispatch.runUntilIdle();
    ASSERT_EQ(results.size(), 1u);
    EXPECT_TRUE(results[0].succeeded);
    EXPECT_TRUE(results[0].effectiveEnabled);
    EXPECT_EQ(rig.lastRequest(),
              (QJsonObject{{QStringLiteral("cmd"), kSleepCommand},
                           {QStringLiteral("enabled"), true},
                           {QStringLiteral("battery_cutoff_percent"), 40},
                           {QStringLiteral("persist_user_intent"), true}}));
    EXPECT_EQ(rig.requests().size(), 1u) << "the confirmed request needs no second apply";
    EXPECT_TRUE(rig.settings.userIntendedDarkKeepAliveEnabled());
    EXPECT_TRUE(rig.settings.darkKeepAliveEnabled());
    EXPECT_EQ(rig.settings.darkKeepAliveMode(), 1);
    EXPECT_EQ(rig.apply().lastSignature(), QStringLiteral("true|40"));
    EXPECT_TRUE(rig.log.contains(QStringLiteral("Vantrel sleep user intent (sleep-page-toggle): darkKeepAlive=true")));
    EXPECT_TRUE(rig.log.contains(QStringLiteral("Vantrel sleep reconcile (sleep-page-toggle-prevent-sleep)")));

    // The daemon says it understood the opposite request.
    results.clear();
    rig.transport->handle(kSleepCommand, [](const QJsonObject&) { return sleepReply(true, true, true); });
    rig.reconciler->applySleepPreventionUserRequest(false, collect);
    rig.dispatch.runUntilIdle();
    ASSERT_EQ(results.size(), 1u);
    EXPECT_FALSE(results[0].succeeded);
    EXPECT_EQ(results[0].code, SleepRuntimeReconciler::requestMismatchCode);
    EXPECT_FALSE(results[0].requestedEnabled);
    EXPECT_TRUE(results[0].effectiveEnabled) << "the daemon's own state is kept";
    EXPECT_TRUE(results[0].lowBatteryVanillaActive);
    EXPECT_FALSE(results[0].stateAuthoritative);
    EXPECT_EQ(rig.apply().retryAttempt(), 1) << "counted as a failure";
    EXPECT_TRUE(rig.apply().retryNotBefore());

    // No reply at all.
    results.clear();
    rig.transport->reply(kSleepCommand, std::nullopt);
    rig.reconciler->applySleepPreventionUserRequest(true, collect);
    rig.dispatch.runUntilIdle();
    ASSERT_EQ(results.size(), 1u);
    EXPECT_FALSE(results[0].succeeded);
    EXPECT_EQ(results[0].code, SleepRuntimeApplyResult::invalidResponseCode);
    EXPECT_TRUE(results[0].requestedEnabled);
    EXPECT_EQ(rig.apply().retryAttempt(), 1);

    // A later apply overtakes the user's while the daemon is still working on it.
    results.clear();
    rig.answerAsAsked();
    int asked = 0;
    rig.transport->handle(kSleepCommand, [&](const QJsonObject& r) {
        if (++asked == 1) {
            rig.settings.setSleepBatteryCutoffPercent(30);
            rig.reconciler->reconcileSleepRuntime(QStringLiteral("sleep-shared-cutoff-slider"));
        }
        return sleepReply(enabledOf(r), enabledOf(r));
    });
    rig.reconciler->applySleepPreventionUserRequest(true, collect);
    rig.dispatch.runUntilIdle();
    ASSERT_EQ(results.size(), 1u);
    EXPECT_FALSE(results[0].succeeded);
    EXPECT_EQ(results[0].code, SleepRuntimeReconciler::supersededCode);
    EXPECT_TRUE(results[0].requestedEnabled);
    EXPECT_FALSE(results[0].stateAuthoritative);
    EXPECT_EQ(rig.apply().lastSignature(), QStringLiteral("true|30")) << "the overtaking apply is the one kept";
    EXPECT_TRUE(rig.settings.darkKeepAliveEnabled());
}

TEST(SleepRuntimeReconciler, SettingChangesCollapseIntoOneDebouncedPassOnTheMainQueue)
{
    ReconcilerRig rig;
    rig.power(true, 80);
    // Called from outside the main queue, the pass moves there.
    rig.reconciler->reconcileSleepRuntime(QStringLiteral("elsewhere"));
    EXPECT_EQ(rig.log.count(QStringLiteral("Vantrel sleep reconcile (")), 0);
    rig.dispatch.runUntilIdle();
    EXPECT_EQ(rig.log.count(QStringLiteral("Vantrel sleep reconcile (elsewhere)")), 1);
    EXPECT_EQ(rig.appNapPasses, rig.log.count(QStringLiteral("Vantrel sleep reconcile (")))
        << "every pass reconciles App Nap";

    rig.log.clear();
    for (int i = 0; i < 3; ++i) {
        rig.reconciler->scheduleSleepRuntimeReconcile(QStringLiteral("sleep-setting-change"));
        rig.dispatch.advance(Duration(40));
    }
    EXPECT_EQ(rig.log.count(QStringLiteral("Vantrel sleep reconcile (")), 0);
    rig.dispatch.advance(Duration(59));
    EXPECT_EQ(rig.log.count(QStringLiteral("Vantrel sleep reconcile (")), 0);
    rig.dispatch.advance(Duration(1));
    EXPECT_EQ(rig.log.count(QStringLiteral("Vantrel sleep reconcile (sleep-setting-change)")), 1);
    rig.dispatch.advance(seconds(1));
    EXPECT_EQ(rig.log.count(QStringLiteral("Vantrel sleep reconcile (")), 1);
}

TEST(SleepRuntimeReconciler, IntentSettersRefuseClamshellFeaturesTheHardwareLacks)
{
    ReconcilerRig rig;
    rig.supportsClamshell = false;
    rig.reconciler->setVirtualClamshellUserIntent(true, QStringLiteral("test"));
    rig.reconciler->setSafetyLockUserIntent(true, QStringLiteral("test"));
    EXPECT_FALSE(rig.settings.userIntendedVirtualDisplayEnabled());
    EXPECT_FALSE(rig.settings.virtualDisplayEnabled());
    EXPECT_FALSE(rig.settings.userIntendedLockOnLidOpenEnabled());
    EXPECT_FALSE(rig.settings.lockOnLidOpenEnabled());
    EXPECT_EQ(rig.prefs.optionalBool(QStringLiteral("virtualDisplayUserIntentEnabled")), false);
    EXPECT_EQ(rig.prefs.optionalBool(QStringLiteral("lockOnLidOpenUserIntentEnabled")), false);
    EXPECT_EQ(rig.log.count(QStringLiteral("Vantrel sleep user intent")), 0);

    rig.supportsClamshell = true;
    rig.reconciler->setSafetyLockUserIntent(true, QStringLiteral("sleep-page-toggle"));
    EXPECT_TRUE(rig.settings.lockOnLidOpenEnabled());
    EXPECT_EQ(rig.prefs.optionalBool(QStringLiteral("lockOnLidOpenUserIntentEnabled")), true);
    EXPECT_TRUE(rig.log.contains(QStringLiteral("Vantrel sleep user intent (sleep-page-toggle): safetyLock=true")));
    EXPECT_TRUE(rig.shieldReleases.isEmpty());
    rig.reconciler->setSafetyLockUserIntent(false, QStringLiteral("sleep-page-toggle"));
    EXPECT_EQ(rig.shieldReleases, QStringList{QStringLiteral("safety lock disabled")});

    // A stored value loaded at start-up releases nothing.
    rig.settings.setLockOnLidOpenEnabled(true);
    rig.prefs.setValue(QStringLiteral("lockOnLidOpenEnabled"), false);
    rig.settings.restore();
    EXPECT_FALSE(rig.settings.lockOnLidOpenEnabled());
    EXPECT_EQ(rig.shieldReleases.size(), 1);
}

TEST(SleepRuntimeReconciler, StoredIntentsDecideTheFirstPassesAfterStartUp)
{
    ReconcilerRig rig;
    rig.prefs.setValue(QStringLiteral("darkKeepAliveEnabled"), true); // no intent key: the intent follows it
    rig.prefs.setValue(QStringLiteral("virtualDisplayUserIntentEnabled"), true);
    rig.prefs.setValue(QStringLiteral("lockOnLidOpenEnabled"), true);
    rig.prefs.setValue(QStringLiteral("lockOnLidOpenUserIntentEnabled"), false);
    rig.prefs.setValue(QStringLiteral("sleepBatteryCutoffPercent"), 75); // a tie: the lower option
    rig.settings.restore();
    EXPECT_TRUE(rig.settings.userIntendedDarkKeepAliveEnabled());
    EXPECT_TRUE(rig.settings.userIntendedVirtualDisplayEnabled());
    EXPECT_FALSE(rig.settings.userIntendedLockOnLidOpenEnabled());
    EXPECT_EQ(rig.settings.sleepBatteryCutoffPercent(), 70);
    EXPECT_TRUE(rig.shieldReleases.isEmpty());

    rig.power(true, 60);
    rig.reconcile();
    EXPECT_EQ(rig.lastRequest().value(QStringLiteral("battery_cutoff_percent")).toInt(), 70);
    EXPECT_TRUE(rig.settings.darkKeepAliveEnabled());
    EXPECT_TRUE(rig.settings.virtualDisplayEnabled());
    EXPECT_TRUE(rig.virtualDisplay.isDisplayPresent());
    EXPECT_FALSE(rig.settings.lockOnLidOpenEnabled()) << "the stored runtime flag without the intent is corrected";
    EXPECT_EQ(rig.shieldReleases, QStringList{QStringLiteral("safety lock disabled")});
    EXPECT_FALSE(rig.keepAlive.lidOpenLockMonitoring);
}

} // namespace
} // namespace vantrel
