// The fan page's rules without a display: the editor geometry and clamping, the operating
// marker, live apply on the next main-queue turn, the feature rows, the selection and the titles.
#include <gtest/gtest.h>

#include "FanPageRig.h"
#include "fan/FanCurveSettings.h"
#include "l10n/L10n.h"
#include "ui/fancurve/FanCardSpec.h"
#include "ui/fancurve/FanCurveEditorGeometry.h"
#include "ui/fancurve/FanCurvePageState.h"

using namespace vantrel;
using namespace vantrel::fancurve;

namespace {

DraftBands bands(double ct, double cp, double wt, double wp, double ht, double hp) { return {ct, cp, wt, wp, ht, hp}; }

struct StateRig : test::FanPageRig {
    FanCurvePageState state{services(), daemon, dispatch};
};

} // namespace

TEST(FanCurveEditorGeometry, PlotRectangleDangerZoneAndMapping)
{
    EXPECT_EQ(plotRect(QSizeF(600, 300)), QRectF(38, 34, 522, 222));
    // A small chart keeps the minimum plot size.
    EXPECT_EQ(plotRect(QSizeF(100, 100)), QRectF(38, 34, 140, 120));
    const QRectF plot = plotRect(QSizeF(600, 300));
    const QRectF danger = dangerZone(plot);
    EXPECT_DOUBLE_EQ(danger.left(), 38 + 522 * 0.8);
    EXPECT_DOUBLE_EQ(danger.right(), plot.right());
    EXPECT_EQ(danger.height(), plot.height());

    const CurveValue v = valueAt(locationOf(62, 41, plot), plot);
    EXPECT_NEAR(v.temperature, 62, 1e-9);
    EXPECT_NEAR(v.fanPercent, 41, 1e-9);
    EXPECT_EQ(locationOf(0, 0, plot), plot.bottomLeft());
    EXPECT_EQ(locationOf(100, 100, plot), plot.topRight());
    // Outside the plot the values run past 0…100; the clamping is the handle rule's job.
    EXPECT_LT(valueAt(QPointF(0, 0), plot).temperature, 0);
    EXPECT_GT(valueAt(QPointF(0, 0), plot).fanPercent, 100);
}

TEST(FanCurveEditorGeometry, HandlesStayOrderedSpacedAndNeverFalling)
{
    const DraftBands start = bands(45, 35, 60, 55, 78, 78);
    // Work dragged to 30 °C with the current point at 45 °C: stops 3 °C above it.
    EXPECT_EQ(moveHandle(start, FanCurveHandle::work, {30, 50}).workBandTemperature, 48);
    // High dragged to 99 °C: capped at 97 °C.
    EXPECT_EQ(moveHandle(start, FanCurveHandle::high, {99, 90}).highBandTemperature, 97);
    // Current dragged above the work percent: stops at the work percent.
    const DraftBands raised = moveHandle(start, FanCurveHandle::current, {40, 80});
    EXPECT_EQ(raised.currentBandFanPercent, 55);
    EXPECT_EQ(raised.currentBandTemperature, 40);
    // Current towards 0 °C and below 0 %: 3 °C and 0 %.
    const DraftBands low = moveHandle(start, FanCurveHandle::current, {-10, -5});
    EXPECT_EQ(low.currentBandTemperature, 3);
    EXPECT_EQ(low.currentBandFanPercent, 0);
    // Current past the work point: 3 °C below it.
    EXPECT_EQ(moveHandle(start, FanCurveHandle::current, {70, 10}).currentBandTemperature, 57);
    // Work between its neighbours' percents, high not below work and not above 100.
    EXPECT_EQ(moveHandle(start, FanCurveHandle::work, {60, 10}).workBandFanPercent, 35);
    EXPECT_EQ(moveHandle(start, FanCurveHandle::work, {60, 95}).workBandFanPercent, 78);
    EXPECT_EQ(moveHandle(start, FanCurveHandle::work, {90, 60}).workBandTemperature, 75);
    EXPECT_EQ(moveHandle(start, FanCurveHandle::high, {55, 20}).highBandTemperature, 63);
    EXPECT_EQ(moveHandle(start, FanCurveHandle::high, {55, 20}).highBandFanPercent, 55);
    EXPECT_EQ(moveHandle(start, FanCurveHandle::high, {80, 130}).highBandFanPercent, 100);
    // Values are rounded to whole numbers; other points are left alone.
    const DraftBands rounded = moveHandle(start, FanCurveHandle::work, {62.4, 50.6});
    EXPECT_EQ(rounded, bands(45, 35, 62, 51, 78, 78));
}

TEST(FanCurveEditorGeometry, OperatingMarkerFromTheCurveElseFromTheFanSpeed)
{
    const DraftBands b = bands(40, 20, 60, 40, 80, 80);
    EXPECT_DOUBLE_EQ(operatingMarkerPercent(b, 50, 0, 6000), 30);
    EXPECT_DOUBLE_EQ(operatingMarkerPercent(b, 90, 0, 6000), 90);
    EXPECT_DOUBLE_EQ(operatingMarkerPercent(std::nullopt, 50, 3000, 6000), 50);
    // An unknown maximum counts as 1 rpm; the share is clamped.
    EXPECT_DOUBLE_EQ(operatingMarkerPercent(std::nullopt, 50, 3000, 0), 100);
    EXPECT_DOUBLE_EQ(operatingMarkerPercent(std::nullopt, 50, 0, 6000), 0);
}

TEST(FanCurvePageState, HandleMovesApplyLiveOnTheNextMainQueueTurnEachTime)
{
    StateRig rig;
    rig.manualWith(FanCurveSettings::defaultBalanced());
    rig.state.appear();
    ASSERT_TRUE(rig.state.moveHandle(FanCurveHandle::work, {30, 50}));
    EXPECT_EQ(rig.state.page().draftBands().workBandTemperature, 48);
    // Not sent while the move is being handled…
    EXPECT_TRUE(rig.fanConfigs().empty());
    rig.dispatch.runUntilIdle();
    // …then once, with the moved point.
    ASSERT_EQ(rig.fanConfigs().size(), 1u);
    const auto points = test::FanPageRig::leftPoints(rig.fanConfigs().back());
    ASSERT_EQ(points.size(), 5u);
    EXPECT_EQ(points[2], std::make_pair(48.0, 50.0));
    EXPECT_EQ(rig.fanConfigs().back()["mode"], "manual");

    // Two moves before the queue turns: two sends, no coalescing.
    rig.state.moveHandle(FanCurveHandle::high, {99, 90});
    rig.state.moveHandle(FanCurveHandle::high, {90, 95});
    rig.dispatch.runUntilIdle();
    EXPECT_EQ(rig.fanConfigs().size(), 3u);
    // A move that changes nothing sends nothing.
    EXPECT_FALSE(rig.state.moveHandle(FanCurveHandle::high, {90.2, 95.3}));
    rig.dispatch.runUntilIdle();
    EXPECT_EQ(rig.fanConfigs().size(), 3u);
}

TEST(FanCurvePageState, OperatingSystemModeLocksTheEditor)
{
    StateRig rig;
    rig.state.appear();
    ASSERT_TRUE(rig.state.isMacOSDefault());
    const DraftBands before = rig.state.page().draftBands();
    EXPECT_FALSE(rig.state.moveHandle(FanCurveHandle::work, {70, 70}));
    rig.dispatch.runUntilIdle();
    EXPECT_EQ(rig.state.page().draftBands(), before);
    EXPECT_TRUE(rig.fanConfigs().empty());
    rig.state.page().setCustomPresetName(QStringLiteral("Quiet desk"));
    EXPECT_FALSE(rig.state.canSaveNewPreset());
    EXPECT_FALSE(rig.state.canUpdatePreset());
    EXPECT_EQ(rig.state.activePresetTitle("en"), L10n::tr("fan.mode.macos_default.short", "en"));
}

TEST(FanCurvePageState, AppearingRefreshesTheAnalysisAndHighlightsTheCurrentPreset)
{
    StateRig rig;
    rig.manualWith(FanCurveSettings::defaultPerformance());
    rig.state.appear();
    EXPECT_EQ(rig.observer.refreshes, 1);
    EXPECT_EQ(rig.state.page().selectedPreset(), 10);
    EXPECT_EQ(rig.state.page().selectedFanMode(), 2);
    EXPECT_EQ(rig.state.activePresetTitle("en"), L10n::tr("curve_performance", "en"));
    EXPECT_EQ(rig.state.activePresetTitle("ko"), L10n::tr("curve_performance", "ko"));
    EXPECT_EQ(rig.state.modeTitle("en"), L10n::tr("feature.fan.vantrel_curve_control", "en"));
}

TEST(FanCurvePageState, PresetOffersFollowTheMatchingCustomPreset)
{
    StateRig rig;
    rig.manualWith(FanCurveSettings::defaultBalanced());
    rig.state.appear();
    FanPageModel& page = rig.state.page();
    EXPECT_FALSE(rig.state.canSaveNewPreset()); // no name yet
    page.setCustomPresetName(QStringLiteral("  Night  "));
    EXPECT_TRUE(rig.state.canSaveNewPreset());
    EXPECT_FALSE(rig.state.canUpdatePreset());
    page.saveDraftAsNewPreset();
    // Saved and selected: it now matches, so update and delete replace save.
    EXPECT_FALSE(rig.state.canSaveNewPreset());
    EXPECT_TRUE(rig.state.canUpdatePreset());
    EXPECT_TRUE(rig.state.canDeletePreset());
    EXPECT_EQ(rig.state.activePresetTitle("en"), "Night");
    page.selectCustomPreset(QUuid());
    page.setCustomPresetName(QStringLiteral("Night"));
    EXPECT_TRUE(rig.state.canUpdatePreset()); // matched by name
    page.setCustomPresetName(QStringLiteral("Day"));
    EXPECT_TRUE(rig.state.canSaveNewPreset());
    EXPECT_EQ(rig.state.activePresetTitle("en"), L10n::tr("curve_balance", "en"));
}

TEST(FanCurvePageState, OnlyTheInterlockRowSwitchesAndItSpringsBack)
{
    StateRig rig;
    rig.transport->replyOk(QStringLiteral("reset_to_vanilla"));
    std::vector<bool> seen;
    QObject::connect(&rig.state, &FanCurvePageState::togglesChanged, [&] { seen.push_back(rig.state.toggle(4)); });
    rig.state.setToggle(4, true);
    EXPECT_EQ(seen, (std::vector<bool>{true, false}));
    EXPECT_FALSE(rig.state.toggle(4));
    EXPECT_EQ(rig.transport->requestsFor(QStringLiteral("reset_to_vanilla")).size(), 1u);
    EXPECT_EQ(rig.state.status().keys, QStringList{"fan.status.reset_success"});
    EXPECT_EQ(rig.state.status().tone, StatusTone::Success);

    // A daemon that does not answer: the failure in red, the switch off again.
    rig.transport->reply(QStringLiteral("reset_to_vanilla"), std::nullopt);
    rig.state.setToggle(4, true);
    EXPECT_EQ(rig.state.status().keys, QStringList{"fan.status.reset_failure"});
    EXPECT_EQ(rig.state.status().tone, StatusTone::Failure);
    EXPECT_FALSE(rig.state.toggle(4));

    // The other rows cannot be switched and send nothing.
    const size_t sent = rig.transport->requests().size();
    for (int id : {5, 6, 7, 12, 13, 14}) {
        rig.state.setToggle(id, true);
        EXPECT_FALSE(rig.state.toggle(id)) << id;
    }
    EXPECT_EQ(rig.transport->requests().size(), sent);
}

TEST(FanCardSpecs, CardsCarryTheirTextsAndConnections)
{
    const auto specs = FanCardSpecs::makeSpecs("en");
    QList<int> ids;
    for (const auto& s : specs)
        ids << s.id;
    EXPECT_EQ(ids, (QList<int>{1, 2, 4, 5, 6, 7, 8, 9, 10, 12, 13, 14}));
    for (const auto& s : specs) {
        EXPECT_FALSE(s.title.isEmpty()) << s.id;
        EXPECT_EQ(s.description, L10n::tr(s.titleKey + ".desc", "en")) << s.id;
        EXPECT_EQ(s.result, L10n::tr(s.titleKey + ".result", "en")) << s.id;
        EXPECT_LE(s.steps.size(), 4) << s.id;
        EXPECT_FALSE(s.steps.isEmpty()) << s.id;
    }
    const FanCardSpec interlock = FanCardSpecs::spec(4, "ko");
    EXPECT_TRUE(interlock.switchable);
    EXPECT_EQ(interlock.connectionLabel, "reset_to_vanilla");
    EXPECT_EQ(interlock.title, L10n::tr("feature.runtime.hardware_interlock", "ko"));
    EXPECT_FALSE(FanCardSpecs::spec(13, "en").switchable);
    EXPECT_EQ(FanCardSpecs::spec(13, "en").connectionLabel, "backend needed");
    // Cards that are not rows have no switch.
    EXPECT_TRUE(FanCardSpecs::spec(10, "en").connectionLabel.isEmpty());
    EXPECT_EQ(FanCardSpecs::spec(10, "en").steps.size(), 4);
}
