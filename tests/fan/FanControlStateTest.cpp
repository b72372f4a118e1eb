#include <QJsonDocument>

#include <gtest/gtest.h>

#include "FanTestSupport.h"
#include "base/Preferences.h"
#include "base/VirtualDispatch.h"
#include "fan/FanControlState.h"
#include "fan/FanPresetStore.h"
#include "support/TempDir.h"

using namespace vantrel;
using namespace vantrel::test;

TEST(FanControlState, RestoresModeAndSmartFlagIncludingTheOlderKey)
{
    MemoryPreferences fresh;
    FanControlState initial(fresh);
    EXPECT_EQ(initial.fanMode(), FanMode::Auto);
    EXPECT_TRUE(initial.isUnifiedFanControl());
    EXPECT_EQ(initial.currentCurve(), FanCurveSettings::defaultBalanced());
    EXPECT_EQ(initial.currentProfile(), "Balanced");
    EXPECT_EQ(initial.detectedFanMaxRPM(), 6000);
    EXPECT_TRUE(fresh.keys().isEmpty()); // initial values are not written

    MemoryPreferences prefs;
    prefs.setValue("fanMode", "Manual Curve");
    prefs.setValue("llmIntegrationEnabled", true);
    prefs.setValue("isUnifiedFanControl", false);
    FanControlState restored(prefs);
    EXPECT_EQ(restored.fanMode(), FanMode::Manual);
    EXPECT_TRUE(restored.smartAppPresetEnabled());
    EXPECT_EQ(prefs.value("smartAppPresetEnabled"), QVariant(true)); // migrated under the new key
    EXPECT_TRUE(restored.isUnifiedFanControl()); // comes from the daemon, not from here

    prefs.setValue("fanMode", "Turbo");
    prefs.setValue("smartAppPresetEnabled", false);
    FanControlState other(prefs);
    EXPECT_EQ(other.fanMode(), FanMode::Auto);
    EXPECT_FALSE(other.smartAppPresetEnabled()); // the new key wins over the older one
}

TEST(FanControlState, PersistsEveryChange)
{
    MemoryPreferences prefs;
    FanControlState state(prefs);
    int curveSignals = 0;
    QObject::connect(&state, &FanControlState::currentCurveChanged, [&] { ++curveSignals; });

    state.setFanMode(FanMode::Manual);
    state.setUnifiedFanControl(false);
    state.setSmartAppPresetEnabled(true);
    EXPECT_EQ(prefs.value("fanMode"), QVariant("Manual Curve"));
    EXPECT_EQ(prefs.value("isUnifiedFanControl"), QVariant(false));
    EXPECT_EQ(prefs.value("smartAppPresetEnabled"), QVariant(true));

    state.setCurrentCurve(FanCurveSettings::defaultSilent());
    state.setCurrentCurve(FanCurveSettings::defaultSilent());
    EXPECT_EQ(curveSignals, 1);
    EXPECT_EQ(FanCurveSettings::fromJsonBytes(prefs.dataValue("currentCurve")), FanCurveSettings::defaultSilent());
}

TEST(FanControlState, ActiveCurvesAreRestoredAndFallBackWhenTheirPresetIsGone)
{
    TempDir dir;
    MemoryPreferences prefs;
    VirtualClock clock;
    const Paths paths = dir.paths();
    FanPresetStore store(paths, prefs, clock);
    FanCurveSettings first = curve("First", {{0, 0}, {30, 20}, {50, 40}, {70, 60}, {100, 100}});
    FanCurveSettings mine = curve("Mine", {{0, 0}, {35, 25}, {55, 45}, {75, 65}, {100, 100}});
    store.save({first, mine});

    // The stored curve survives the preset load; a stale right curve follows the left one.
    prefs.setValue("currentCurve", mine.toJsonBytes());
    prefs.setValue("currentCurveRight", curve("Deleted", {{0, 0}, {100, 100}}).toJsonBytes());
    FanControlState state(prefs);
    state.restoreStoredConfiguration(store);
    EXPECT_EQ(state.savedPresets().size(), 5u);
    EXPECT_EQ(state.currentCurve(), mine);
    EXPECT_EQ(state.currentCurveRight(), mine);
    EXPECT_EQ(FanCurveSettings::fromJsonBytes(prefs.dataValue("currentCurveRight")), mine);

    // Outside start-up, loading the presets makes the first one current and stores it.
    state.loadPresets(store);
    EXPECT_EQ(state.currentCurve().name, "First");
    EXPECT_EQ(FanCurveSettings::fromJsonBytes(prefs.dataValue("currentCurve"))->name, "First");

    // Both stale: balanced left, and the right copies it.
    prefs.setValue("currentCurve", curve("Gone", {{0, 0}}).toJsonBytes());
    prefs.setValue("currentCurveRight", curve("Also gone", {{0, 0}}).toJsonBytes());
    FanControlState again(prefs);
    again.restoreStoredConfiguration(store);
    EXPECT_EQ(again.currentCurve(), FanCurveSettings::defaultBalanced());
    EXPECT_EQ(again.currentCurveRight(), FanCurveSettings::defaultBalanced());
    EXPECT_EQ(FanCurveSettings::fromJsonBytes(prefs.dataValue("currentCurve")), FanCurveSettings::defaultBalanced());
    EXPECT_EQ(FanCurveSettings::fromJsonBytes(prefs.dataValue("currentCurveRight")),
              FanCurveSettings::defaultBalanced());

    // Undecodable data is ignored: the first preset stays current.
    prefs.setValue("currentCurve", QByteArray("{broken"));
    FanControlState third(prefs);
    third.restoreStoredConfiguration(store);
    EXPECT_EQ(third.currentCurve().name, "First");
}

TEST(FanControlState, DisplayedTargetFollowsModeAndSplitCurves)
{
    MemoryPreferences prefs;
    FanControlState state(prefs);
    state.setCurrentCurve(FanCurveSettings::defaultSilent());
    state.setCurrentCurveRight(FanCurveSettings::defaultPerformance());

    state.updateDisplayedFanTarget(60);
    EXPECT_EQ(state.targetFanPercent(), 0); // auto: the operating system decides

    state.setFanMode(FanMode::Manual);
    state.updateDisplayedFanTarget(60);
    EXPECT_NEAR(state.targetFanPercent(), 10.0 / 15.0 * 18.0, 1e-9); // unified: the left curve only

    state.setUnifiedFanControl(false);
    state.updateDisplayedFanTarget(60);
    EXPECT_DOUBLE_EQ(state.targetFanPercent(), 70); // split: the larger of both

    state.setFanMode(FanMode::Auto);
    state.updateDisplayedFanTarget(95);
    EXPECT_EQ(state.targetFanPercent(), 0);
}
