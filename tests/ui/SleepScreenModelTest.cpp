#include <gtest/gtest.h>

#include <QSignalSpy>

#include "FakeSleepControls.h"
#include "base/Preferences.h"
#include "l10n/L10n.h"
#include "tweaks/FeatureCatalogue.h"
#include "ui/sleep/SleepPageModel.h"

namespace vantrel {
namespace {

QList<int> ids(const std::vector<FeatureSpec>& specs)
{
    QList<int> list;
    for (const FeatureSpec& spec : specs)
        list << spec.id;
    return list;
}

TEST(FeatureCatalogue, EntriesFollowTheirStemsWithFourStepsAndUniqueIds)
{
    const auto& sleep = FeatureCatalogue::sleepSpecs();
    EXPECT_EQ(ids(sleep), (QList<int>{25, 27, 28, 29, 30, 31}));
    EXPECT_EQ(ids(FeatureCatalogue::convenienceSpecs()), (QList<int>{41, 42, 43, 44, 45, 46, 47}));
    const FeatureSpec* lock = FeatureCatalogue::find(29);
    ASSERT_TRUE(lock);
    EXPECT_EQ(lock->title, "lid_open_lock");
    EXPECT_EQ(lock->uiLabel, "feature.sleep.safety_lock.desc");
    EXPECT_EQ(lock->modal,
              (QStringList{"feature.sleep.safety_lock.modal.1", "feature.sleep.safety_lock.modal.2",
                           "feature.sleep.safety_lock.modal.3", "feature.sleep.safety_lock.modal.4"}));
    EXPECT_EQ(lock->result, "feature.sleep.safety_lock.result");
    EXPECT_TRUE(lock->isDesktopGreyOut);
    EXPECT_EQ(FeatureCatalogue::find(25)->uiLabel, "feature.sleep.prevent_system_sleep.desc");
    EXPECT_EQ(FeatureCatalogue::find(46)->result, "feature.convenience.finder_programmer.result");
    EXPECT_EQ(FeatureCatalogue::find(26), nullptr);
    for (const FeatureSpec& spec : FeatureCatalogue::convenienceSpecs())
        EXPECT_FALSE(spec.isDesktopGreyOut) << spec.id;

    // Every key behind the catalogues has an English and a Korean text.
    for (const auto* list : {&sleep, &FeatureCatalogue::convenienceSpecs()})
        for (const FeatureSpec& spec : *list)
            for (const QString& key : QStringList{spec.title, spec.uiLabel, spec.result} + spec.modal) {
                EXPECT_TRUE(L10n::hasText(key, "en")) << key.toStdString();
                EXPECT_TRUE(L10n::hasText(key, "ko")) << key.toStdString();
            }

    EXPECT_EQ(featureRowOpacity(*lock, false, false), 1.0);
    EXPECT_EQ(featureRowOpacity(*lock, false, true), 0.4);
    EXPECT_EQ(featureRowOpacity(*lock, true, false), 0.4);
    EXPECT_EQ(featureRowOpacity(*FeatureCatalogue::find(25), false, true), 1.0);
}

TEST(SleepPageModel, ClamshellRowsNeedTheHardwareAndOnlyFiveRowsCanBeSwitched)
{
    test::FakeSleepControls controls;
    SleepPageModel model(controls);
    EXPECT_EQ(ids(model.visibleFeatureSpecs()), (QList<int>{25, 27, 28, 29, 30, 31}));
    for (int id : {25, 27, 28, 29, 31})
        EXPECT_FALSE(model.isDisabledFeature(id)) << id;
    EXPECT_TRUE(model.isDisabledFeature(30));
    EXPECT_EQ(SleepPageModel::connectionLabel(28), "CGVirtualDisplay");
    EXPECT_EQ(SleepPageModel::connectionLabel(30), "backend needed");
    EXPECT_EQ(SleepPageModel::featureTitle(31), "feature.sleep.app_nap");
    EXPECT_EQ(SleepPageModel::featureTitle(99), "common.feature");

    QSignalSpy changed(&model, &SleepPageModel::visibleFeaturesChanged);
    controls.clamshell = false;
    Q_EMIT controls.hardwareProfileChanged();
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(ids(model.visibleFeatureSpecs()), (QList<int>{25, 27, 30, 31}));
    EXPECT_TRUE(model.isDisabledFeature(28));
    EXPECT_TRUE(model.isDisabledFeature(29));
    // Until the profile is known the clamshell rows stay away too.
    controls.clamshell.reset();
    EXPECT_FALSE(model.hardwareKnown());
    EXPECT_EQ(ids(model.visibleFeatureSpecs()), (QList<int>{25, 27, 30, 31}));

    model.handleFeatureToggle(30, true);
    EXPECT_FALSE(model.isOn(30));
    EXPECT_EQ(model.featureActionStatusKey(), "sleep.status.not_ready");
    EXPECT_TRUE(model.featureActionFailed());
}

TEST(SleepPageModel, SyncReadsTheModelKeepsTheCutoffsEqualAndFollowsLiveChanges)
{
    test::FakeSleepControls controls;
    controls.state.setUserIntendedDarkKeepAliveEnabled(true);
    controls.state.setDisplayKeepAliveEnabled(true);
    controls.state.setLockOnLidOpenEnabled(true);
    controls.state.setSleepBatteryCutoffPercent(30);
    controls.state.setVirtualClamshellBatteryCutoffPercent(70);
    controls.appNap = true;
    SleepPageModel model(controls);
    model.syncFromManager();
    EXPECT_TRUE(model.isOn(25));
    EXPECT_TRUE(model.isOn(27));
    EXPECT_FALSE(model.isOn(28));
    EXPECT_TRUE(model.isOn(29));
    EXPECT_TRUE(model.isOn(31));
    EXPECT_EQ(model.sleepBatteryCutoffSlider(), 30);
    EXPECT_EQ(controls.state.virtualClamshellBatteryCutoffPercent(), 30);

    QSignalSpy toggles(&model, &SleepPageModel::toggleChanged);
    controls.state.setVirtualDisplayEnabled(true);
    controls.state.setUserIntendedDarkKeepAliveEnabled(false);
    EXPECT_TRUE(model.isOn(28));
    EXPECT_FALSE(model.isOn(25));
    EXPECT_EQ(toggles.count(), 2);
}

TEST(SleepPageModel, BatteryBelowTheCutoffRefusesPreventSleepWithTheFiguresAndOneBelowIsAccepted)
{
    test::FakeSleepControls controls;
    controls.state.setSleepBatteryCutoffPercent(40);
    controls.battery = 30;
    SleepPageModel model(controls);
    model.syncFromManager();

    model.handleFeatureToggle(25, true);
    EXPECT_FALSE(model.isOn(25));
    EXPECT_TRUE(controls.preventRequests.empty());
    EXPECT_EQ(model.featureActionStatusKey(), "sleep.status.battery_cutoff_blocked");
    EXPECT_TRUE(model.featureActionFailed());
    EXPECT_EQ(model.featureActionStatus("en"),
              "Prevent System Sleep stays off: the battery is at 30%, below the 40% cut-off.");

    // The virtual clamshell has its own cut-off.
    controls.state.setVirtualClamshellBatteryCutoffPercent(40);
    model.handleFeatureToggle(28, true);
    EXPECT_FALSE(model.isOn(28));
    EXPECT_TRUE(controls.calls.isEmpty());

    // Switching off is never refused, and one point under the cut-off is still allowed.
    model.handleFeatureToggle(25, false);
    ASSERT_EQ(controls.preventRequests.size(), 1u);
    controls.battery = 39;
    model.handleFeatureToggle(25, true);
    ASSERT_EQ(controls.preventRequests.size(), 2u);
    EXPECT_TRUE(controls.preventRequests.back().first);
    EXPECT_TRUE(model.isOn(25));
    EXPECT_EQ(model.featureActionStatusKey(), "sleep.status.apply_pending");

    // An unknown battery level does not block.
    controls.battery.reset();
    model.handleFeatureToggle(28, true);
    EXPECT_EQ(controls.calls.first(), "clamshell-intent 1 sleep-page-toggle");
}

TEST(SleepPageModel, OnlyTheLatestPreventSleepAnswerUpdatesTheRow)
{
    test::FakeSleepControls controls;
    SleepPageModel model(controls);
    model.syncFromManager();

    model.handleFeatureToggle(25, true);
    EXPECT_TRUE(model.isBusy(25));
    model.handleFeatureToggle(25, false);
    EXPECT_EQ(model.sleepActionGeneration(), 2u);
    ASSERT_EQ(controls.preventRequests.size(), 2u);

    // The first answer arrives late and says "on": it is dropped.
    QSignalSpy status(&model, &SleepPageModel::featureActionStatusChanged);
    controls.answer(0, true, true);
    EXPECT_EQ(status.count(), 0);
    EXPECT_TRUE(model.isBusy(25));
    EXPECT_EQ(model.featureActionStatusKey(), "sleep.status.apply_pending");

    // The second answer decides, from the intent the model reports.
    controls.answer(1, false, false);
    EXPECT_FALSE(model.isBusy(25));
    EXPECT_FALSE(model.isOn(25));
    EXPECT_TRUE(model.featureActionFailed());
    EXPECT_EQ(model.featureActionStatus("en"), "Could not apply Prevent System Sleep.");
}

TEST(SleepPageModel, SafetyLockNeedsTheVirtualClamshellAndClearsItsIntentOtherwise)
{
    test::FakeSleepControls controls;
    controls.state.setUserIntendedLockOnLidOpenEnabled(true);
    SleepPageModel model(controls);
    model.syncFromManager();

    model.handleFeatureToggle(29, true);
    EXPECT_FALSE(model.isOn(29));
    EXPECT_FALSE(controls.state.userIntendedLockOnLidOpenEnabled());
    EXPECT_EQ(controls.calls, QStringList{"lock-intent 0 sleep-page-guard"});
    EXPECT_EQ(model.featureActionStatusKey(), "sleep.status.safety_lock_req");
    EXPECT_TRUE(model.featureActionFailed());

    // With the virtual clamshell running the lock is taken.
    controls.calls.clear();
    controls.state.setVirtualDisplayEnabled(true);
    model.handleFeatureToggle(29, true);
    EXPECT_TRUE(model.isOn(29));
    EXPECT_EQ(controls.calls,
              (QStringList{"lock-intent 1 sleep-page-toggle", "reconcile sleep-page-toggle-safety-lock"}));
    EXPECT_EQ(model.featureActionStatusKey(), "sleep.status.apply_success");

    // Without clamshell support switching on fails plainly.
    controls.clamshell = false;
    model.handleFeatureToggle(29, false);
    model.handleFeatureToggle(29, true);
    EXPECT_FALSE(model.isOn(29));
    EXPECT_EQ(model.featureActionStatusKey(), "sleep.status.apply_failure");
}

TEST(SleepPageModel, VirtualClamshellReportsFailureUntilTheDisplayRunsThenTurnsOnByItself)
{
    test::FakeSleepControls controls;
    SleepPageModel model(controls);
    model.syncFromManager();

    // The daemon has not confirmed yet: the switch falls back and the status says so.
    model.handleFeatureToggle(28, true);
    EXPECT_FALSE(model.isOn(28));
    EXPECT_TRUE(controls.state.userIntendedVirtualDisplayEnabled());
    EXPECT_EQ(model.featureActionStatusKey(), "sleep.status.apply_failure");
    controls.displayPresent = true;
    controls.state.setVirtualDisplayEnabled(true);
    EXPECT_TRUE(model.isOn(28));

    // Switching off succeeds once the display is gone.
    controls.reconcileStartsDisplay = true;
    model.handleFeatureToggle(28, false);
    EXPECT_FALSE(model.isOn(28));
    EXPECT_FALSE(model.featureActionFailed());
    // And on, when the reconcile brings it up at once.
    model.handleFeatureToggle(28, true);
    EXPECT_TRUE(model.isOn(28));
    EXPECT_EQ(model.featureActionStatusKey(), "sleep.status.apply_success");

    controls.clamshell = false;
    controls.calls.clear();
    model.handleFeatureToggle(28, true);
    EXPECT_TRUE(controls.calls.isEmpty());
    EXPECT_FALSE(model.isOn(28));
}

TEST(SleepPageModel, DisplayOverrideAndAppNapGoStraightToTheModel)
{
    test::FakeSleepControls controls;
    SleepPageModel model(controls);
    model.syncFromManager();
    model.handleFeatureToggle(27, true);
    EXPECT_TRUE(controls.state.displayKeepAliveEnabled());
    EXPECT_EQ(controls.displaySleepRequests, std::vector<bool>{true});
    EXPECT_TRUE(model.isOn(27));
    model.handleFeatureToggle(31, true);
    EXPECT_TRUE(controls.appNap);
    EXPECT_TRUE(model.isOn(31));
    EXPECT_EQ(controls.calls.last(), "reconcile sleep-page-toggle-app-nap");
    EXPECT_EQ(model.featureActionStatus("en"), "Suppress App Nap applied.");
}

TEST(SleepPageModel, SharedCutoffIsNormalisedIntoBothCutoffsAndSwitchesOffRowsBelowIt)
{
    test::FakeSleepControls controls;
    controls.state.setUserIntendedDarkKeepAliveEnabled(true);
    controls.state.setVirtualDisplayEnabled(true);
    controls.battery = 45;
    SleepPageModel model(controls);
    model.syncFromManager();

    model.applySharedSleepBatteryCutoff(47);
    EXPECT_EQ(controls.state.sleepBatteryCutoffPercent(), 50);
    EXPECT_EQ(controls.state.virtualClamshellBatteryCutoffPercent(), 50);
    EXPECT_EQ(model.sharedSleepBatteryCutoffPercent(), 50);
    EXPECT_EQ(controls.calls.last(), "reconcile sleep-shared-cutoff-slider");
    // 45 % is under 50 - 1: the rows go off; the intents are left to the reconciliation.
    EXPECT_FALSE(model.isOn(25));
    EXPECT_FALSE(model.isOn(28));
    EXPECT_TRUE(controls.state.userIntendedDarkKeepAliveEnabled());

    model.applySharedSleepBatteryCutoff(12);
    EXPECT_EQ(controls.state.sleepBatteryCutoffPercent(), 20);
    model.applySharedSleepBatteryCutoff(200);
    EXPECT_EQ(controls.state.virtualClamshellBatteryCutoffPercent(), 80);
}

} // namespace
} // namespace vantrel
