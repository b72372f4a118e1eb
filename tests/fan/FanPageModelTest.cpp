#include <memory>
#include <tuple>

#include <QJsonArray>

#include <gtest/gtest.h>

#include "FanPageParts.h"
#include "FanTestSupport.h"
#include "base/Preferences.h"
#include "base/VirtualDispatch.h"
#include "daemon/DaemonClient.h"
#include "fan/FanConfigurationApplier.h"
#include "fan/FanControlState.h"
#include "fan/FanPageModel.h"
#include "fan/FanPresetStore.h"
#include "l10n/L10n.h"
#include "support/FakeDaemonTransport.h"
#include "support/TempDir.h"

using namespace vantrel;
using namespace vantrel::test;

namespace {

Shape wireShape(const QJsonValue& points)
{
    Shape out;
    for (const auto& p : points.toArray())
        out.emplace_back(p.toObject()["temp"].toDouble(), p.toObject()["fan"].toDouble());
    return out;
}

struct PageFixture : ::testing::Test, FanPageParts<TempDir> {
    FanPageModel page{state, store, applier};

    PageFixture() { daemon->replyOk("set_fan_config"); }
    QJsonObject lastRequest() const { return daemon->requests().back(); }
    void saveAs(const QString& name, double workPercent)
    {
        page.setCustomPresetName(name);
        DraftBands bands = page.draftBands();
        bands.workBandFanPercent = workPercent;
        page.setDraftBands(bands);
        page.saveDraftAsNewPreset();
    }
};

} // namespace

TEST_F(PageFixture, ModeAndPresetCardsSendTheMatchingConfiguration)
{
    page.applyOperatingMode(FanPageModel::macOSDefaultCard);
    QJsonObject r = lastRequest();
    EXPECT_EQ(r["mode"], "auto");
    EXPECT_EQ(r["unified"], true);
    EXPECT_EQ(wireShape(r["left_points"]), balancedShape);
    EXPECT_EQ(wireShape(r["right_points"]), balancedShape);
    EXPECT_EQ(r["preset_name"], "macos_default");
    EXPECT_EQ(r["smart_app_preset"], false);
    EXPECT_EQ(state.fanMode(), FanMode::Auto);
    EXPECT_EQ(state.currentProfile(), "macos_default");
    EXPECT_EQ(page.applyStatus(),
              FanStatusLine::make("fan.status.apply_success_named", StatusTone::Success,
                                  StatusLabel::key("state.macos_default")));
    EXPECT_EQ(page.applyStatus().text("ko"), L10n::tr("state.macos_default", "ko") + " 적용 완료");
    state.updateDisplayedFanTarget(85);
    EXPECT_EQ(state.targetFanPercent(), 0);

    page.applyPreset(FanPageModel::silentCard);
    page.applyOperatingMode(FanPageModel::curveControlCard);
    r = lastRequest();
    EXPECT_EQ(r["mode"], "manual");
    EXPECT_EQ(wireShape(r["left_points"]), (Shape{{0, 0}, {50, 0}, {65, 18}, {82, 42}, {100, 100}}));
    EXPECT_EQ(wireShape(r["right_points"]), wireShape(r["left_points"]));
    EXPECT_EQ(r["preset_name"], "curve_silent");
    EXPECT_EQ(page.selectedFanMode(), 2);
    EXPECT_EQ(page.applyStatus().label, StatusLabel::key("feature.fan.vantrel_curve_control"));
    EXPECT_EQ(state.currentCurveRight(), FanCurveSettings::defaultSilent());
    EXPECT_EQ(page.draftBands().workBandTemperature, 65); // the editor shows the applied curve

    // A refused apply keeps the local choice and says so in red.
    daemon->reply("set_fan_config", QJsonObject{{"status", "OK"}});
    page.applyPreset(FanPageModel::performanceCard);
    EXPECT_EQ(state.currentCurve(), FanCurveSettings::defaultPerformance());
    EXPECT_EQ(page.applyStatus(),
              FanStatusLine::make("fan.status.apply_failure_named", StatusTone::Failure,
                                  StatusLabel::key("curve_performance")));
    const size_t sent = daemon->requests().size();
    page.applyOperatingMode(5); // not a mode card
    EXPECT_EQ(daemon->requests().size(), sent);

    // Without safe fan control nothing happens at all.
    available = false;
    page.applyPreset(FanPageModel::silentCard);
    page.applyOperatingMode(FanPageModel::macOSDefaultCard);
    page.applyLiveDraftCurveFromTop();
    EXPECT_EQ(daemon->requests().size(), sent);
    EXPECT_EQ(page.selectedPreset(), FanPageModel::performanceCard);
    EXPECT_EQ(state.fanMode(), FanMode::Manual);
}

TEST_F(PageFixture, CustomPresetsAreCappedAtThreeAndNamedCarefully)
{
    page.setCustomPresetName("   ");
    page.saveDraftAsNewPreset();
    EXPECT_EQ(page.applyStatus(), FanStatusLine::make("fan.preset.name_required", StatusTone::Failure));

    saveAs(" Quiet ", 40);
    EXPECT_EQ(customNames(), QStringList{"Quiet"});
    EXPECT_EQ(page.applyStatus(),
              FanStatusLine::make("fan.preset.saved_named", StatusTone::Success, StatusLabel::literal("Quiet")));
    EXPECT_EQ(page.applyStatus().text("en"), "Saved preset “Quiet”.");
    EXPECT_EQ(page.selectedCustomPresetID(), page.customPresets().at(0).id);
    saveAs("Quiet", 45);
    EXPECT_EQ(page.applyStatus(), FanStatusLine::make("fan.preset.duplicate", StatusTone::Warning));

    saveAs("Two", 50);
    saveAs("Three", 55);
    saveAs("Four", 60);
    EXPECT_EQ(customNames(), (QStringList{"Two", "Three", "Four"})); // the oldest is dropped from the file
    const auto four = store.loadCustomPresets().back();
    EXPECT_EQ(shapeOf(four.points), (Shape{{0, 0}, {45, 35}, {60, 60}, {78, 78}, {100, 100}}));
    EXPECT_EQ(four.rightPoints, four.points);

    // Update: the selected preset is replaced by the draft under the typed name, with a new id.
    page.selectCustomPreset(page.customPresets().at(0).id);
    page.setCustomPresetName("Renamed");
    page.updateSelectedPreset();
    EXPECT_EQ(customNames(), (QStringList{"Three", "Four", "Renamed"}));
    EXPECT_EQ(page.applyStatus().keys, QStringList{"fan.preset.updated_named"});

    // Delete by name when nothing is selected; without a match the screen asks for a selection.
    page.selectCustomPreset({});
    page.setCustomPresetName("Three");
    page.deleteSelectedPreset();
    EXPECT_EQ(customNames(), (QStringList{"Four", "Renamed"}));
    page.setCustomPresetName("Nope");
    page.deleteSelectedPreset();
    EXPECT_EQ(page.applyStatus(), FanStatusLine::make("fan.preset.select_to_delete", StatusTone::Warning));
    page.updateSelectedPreset();
    EXPECT_EQ(page.applyStatus().keys, (QStringList{"fan.preset.select_to_update", "fan.preset.select_to_update_2"}));
    EXPECT_EQ(page.applyStatus().text("en"),
              "Select a custom preset to update. Or type the name of an existing preset.");
    EXPECT_EQ(store.load().size(), 5u); // built-ins are always saved back
}

TEST_F(PageFixture, UpdatingWithABlankTypedNameIsRefusedAndChangesNothing)
{
    saveAs("Quiet", 40);
    saveAs("Loud", 70);
    // Ids, names and curve shapes of the file (point ids are renewed by the repair on each load).
    const auto stored = [this] {
        std::vector<std::tuple<QUuid, QString, Shape>> out;
        for (const auto& p : store.loadCustomPresets())
            out.emplace_back(p.id, p.name, shapeOf(p.points));
        return out;
    };
    const auto before = stored();
    const QUuid quiet = std::get<0>(before.at(0));

    // A selected preset with a blank name field: the draft would be stored under the typed
    // name, which is blank, so the update is refused like a save and the file stays as it was.
    page.selectCustomPreset(quiet);
    page.setCustomPresetName(" \t ");
    DraftBands bands = page.draftBands();
    bands.workBandFanPercent = 90;
    page.setDraftBands(bands);
    page.updateSelectedPreset();
    EXPECT_EQ(page.applyStatus(), FanStatusLine::make("fan.preset.name_required", StatusTone::Failure));
    EXPECT_EQ(stored(), before);
    EXPECT_EQ(page.selectedCustomPresetID(), quiet);

    // Nothing selected and nothing typed: there is no target, so the screen asks for one.
    page.selectCustomPreset({});
    page.updateSelectedPreset();
    EXPECT_EQ(page.applyStatus().keys, (QStringList{"fan.preset.select_to_update", "fan.preset.select_to_update_2"}));
    EXPECT_EQ(stored(), before);

    // Typing a name again updates under that name.
    page.selectCustomPreset(quiet);
    page.setCustomPresetName("Quieter");
    page.updateSelectedPreset();
    EXPECT_EQ(customNames(), (QStringList{"Loud", "Quieter"}));
    EXPECT_EQ(page.applyStatus(),
              FanStatusLine::make("fan.preset.updated_named", StatusTone::Success, StatusLabel::literal("Quieter")));
    EXPECT_EQ(shapeOf(store.loadCustomPresets().back().points).at(2).second, 90);
}

TEST_F(PageFixture, CustomAndLiveCurvesApplyWithTheirOwnStatus)
{
    saveAs("Mine", 50);
    const FanCurveSettings mine = page.customPresets().at(0);
    page.selectCustomPreset({});
    page.applyCustomPreset(mine);
    EXPECT_EQ(lastRequest()["preset_name"], "Mine");
    EXPECT_EQ(page.selectedCustomPresetID(), mine.id);
    EXPECT_EQ(
        page.applyStatus(),
        FanStatusLine::make("fan.status.custom_apply_success", StatusTone::Success, StatusLabel::literal("Mine")));

    page.setCustomPresetName("");
    DraftBands bands = page.draftBands();
    bands.highBandTemperature = 99; // beyond the editor's cap
    page.setDraftBands(bands);
    daemon->reply("set_fan_config", std::nullopt);
    page.applyLiveDraftCurveFromTop();
    const QJsonObject r = lastRequest();
    EXPECT_EQ(r["preset_name"], "Live Curve");
    EXPECT_EQ(wireShape(r["left_points"]).at(3), (std::pair<double, double>(97, 78)));
    EXPECT_EQ(state.currentCurve().name, "Live Curve");
    EXPECT_EQ(page.applyStatus(), FanStatusLine::make("fan.status.live_apply_failure", StatusTone::Failure));
    EXPECT_EQ(customNames(), QStringList{"Mine"}); // nothing saved

    // Re-deriving the selection from the central state.
    state.setCurrentCurve(mine);
    page.syncSelectionFromManager();
    EXPECT_EQ(page.selectedPreset(), FanPageModel::balancedCard);
    EXPECT_EQ(page.selectedCustomPresetID(), mine.id);
    state.setCurrentCurve(FanCurveSettings::defaultPerformance());
    page.syncSelectionFromManager();
    EXPECT_EQ(page.selectedPreset(), FanPageModel::performanceCard);
    EXPECT_EQ(page.selectedFanMode(), FanPageModel::curveControlCard);
    EXPECT_TRUE(page.selectedCustomPresetID().isNull());
    state.setFanMode(FanMode::Auto);
    page.syncSelectionFromManager();
    EXPECT_EQ(page.selectedPreset(), FanPageModel::noPresetCard);
    EXPECT_EQ(page.selectedFanMode(), FanPageModel::macOSDefaultCard);
}
