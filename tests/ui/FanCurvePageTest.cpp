// The fan page offscreen: dragging the curve's handles with the mouse, the locked editor, card
// highlights, the interlock row, the calibration sheet and the smart-app rule sheet's save.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "FanPageRig.h"
#include "fan/FanCurveSettings.h"
#include "l10n/L10n.h"
#include "ui/fancurve/CalibrationSheet.h"
#include "ui/fancurve/FanChoiceCard.h"
#include "ui/fancurve/FanCurveChart.h"
#include "ui/fancurve/FanCurveOverview.h"
#include "ui/fancurve/FanCurvePage.h"
#include "ui/fancurve/FanCurvePageState.h"
#include "ui/fancurve/FanFeatureRow.h"
#include "ui/fancurve/SmartAppPresetSheet.h"
#include "ui/widgets/StatusLine.h"
#include "ui/widgets/SwitchControl.h"
#include "ui/widgets/TokenLabel.h"

using namespace vantrel;

namespace {

struct CurvePageRig : test::FanPageRig {
    std::unique_ptr<FanCurvePage> page;

    void open()
    {
        UiContext c;
        c.dispatch = &dispatch;
        c.preferences = &prefs;
        c.daemon = daemon;
        c.fan = services();
        page = std::make_unique<FanCurvePage>(c);
        page->resize(1000, 1400);
        page->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(page.get()));
    }
    FanCurveChart* chart() const { return page->overview()->chart(); }
    const DraftBands& draft() const { return page->state().page().draftBands(); }
    // Drags a handle to a temperature and percent with the mouse, through one intermediate point.
    void drag(FanCurveHandle handle, double temperature, double percent)
    {
        const QPoint from = chart()->handleLocation(handle).toPoint();
        const QPoint to = fancurve::locationOf(temperature, percent, chart()->plot()).toPoint();
        QTest::mousePress(chart(), Qt::LeftButton, {}, from);
        QTest::mouseMove(chart(), (from + to) / 2);
        QTest::mouseMove(chart(), to);
        QTest::mouseRelease(chart(), Qt::LeftButton, {}, to);
    }
};

} // namespace

TEST(FanCurvePage, DraggingHandlesHitsEachClampAndAppliesTheCurve)
{
    CurvePageRig rig;
    rig.manualWith(FanCurveSettings::defaultBalanced());
    rig.open();
    ASSERT_EQ(rig.draft().currentBandTemperature, 45);

    rig.drag(FanCurveHandle::work, 30, 50);
    EXPECT_EQ(rig.draft().workBandTemperature, 48);
    rig.drag(FanCurveHandle::high, 99, 90);
    EXPECT_EQ(rig.draft().highBandTemperature, 97);
    rig.drag(FanCurveHandle::current, 40, 95);
    EXPECT_EQ(rig.draft().currentBandFanPercent, rig.draft().workBandFanPercent);

    rig.dispatch.runUntilIdle();
    ASSERT_FALSE(rig.fanConfigs().empty());
    const auto sent = test::FanPageRig::leftPoints(rig.fanConfigs().back());
    ASSERT_EQ(sent.size(), 5u);
    EXPECT_EQ(sent[1].first, rig.draft().currentBandTemperature);
    EXPECT_EQ(sent[1].second, rig.draft().currentBandFanPercent);
    EXPECT_EQ(sent[3].first, 97);
    EXPECT_EQ(rig.page->statusLine()->token(), DSToken::green);

    // A press away from every handle moves nothing.
    const DraftBands before = rig.draft();
    const QPoint empty = fancurve::locationOf(10, 90, rig.chart()->plot()).toPoint();
    QTest::mousePress(rig.chart(), Qt::LeftButton, {}, empty);
    QTest::mouseMove(rig.chart(), empty + QPoint(40, 40));
    QTest::mouseRelease(rig.chart(), Qt::LeftButton, {}, empty + QPoint(40, 40));
    EXPECT_EQ(rig.draft(), before);
}

TEST(FanCurvePage, OperatingSystemModeKeepsHandlesStillAndSendsNothing)
{
    CurvePageRig rig;
    rig.open();
    ASSERT_TRUE(rig.page->state().isMacOSDefault());
    const DraftBands before = rig.draft();
    rig.drag(FanCurveHandle::work, 70, 80);
    rig.dispatch.runUntilIdle();
    EXPECT_EQ(rig.draft(), before);
    EXPECT_TRUE(rig.fanConfigs().empty());
    FanCurveOverview* o = rig.page->overview();
    QTest::keyClicks(o->nameField(), QStringLiteral("Night"));
    EXPECT_FALSE(o->saveButton()->isEnabled());
    EXPECT_FALSE(o->updateButton()->isEnabled());
    EXPECT_FALSE(o->deleteButton()->isEnabled());
    EXPECT_TRUE(o->observedSummary()->isVisible());
    EXPECT_TRUE(rig.page->card(1)->isSelected());
    for (int id : {2, 8, 9, 10})
        EXPECT_FALSE(rig.page->card(id)->isSelected()) << id;
}

TEST(FanCurvePage, PerformanceCurveInManualModeHighlightsItsCards)
{
    CurvePageRig rig;
    rig.manualWith(FanCurveSettings::defaultPerformance());
    rig.open();
    EXPECT_TRUE(rig.page->card(10)->isSelected());
    EXPECT_TRUE(rig.page->card(2)->isSelected());
    for (int id : {1, 8, 9})
        EXPECT_FALSE(rig.page->card(id)->isSelected()) << id;
    EXPECT_FALSE(rig.page->overview()->observedSummary()->isVisible());

    // Clicking the silent card applies it and moves the highlight.
    QTest::mouseClick(rig.page->card(8), Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_TRUE(rig.page->card(8)->isSelected());
    EXPECT_FALSE(rig.page->card(10)->isSelected());
    ASSERT_FALSE(rig.fanConfigs().empty());
    EXPECT_EQ(rig.fanConfigs().back()["preset_name"], "curve_silent");
}

TEST(FanCurvePage, InterlockRowSpringsBackAndShowsTheResetResult)
{
    CurvePageRig rig;
    rig.transport->replyOk(QStringLiteral("reset_to_vanilla"));
    rig.open();
    SwitchControl* interlock = rig.page->featureRow(4)->switchControl();
    ASSERT_TRUE(interlock->isEnabled());
    QTest::mouseClick(interlock, Qt::LeftButton);
    EXPECT_FALSE(interlock->isChecked());
    EXPECT_EQ(rig.transport->requestsFor(QStringLiteral("reset_to_vanilla")).size(), 1u);
    EXPECT_EQ(rig.page->statusLine()->text(), L10n::tr("fan.status.reset_success", "en"));
    EXPECT_EQ(rig.page->statusLine()->token(), DSToken::green);

    rig.transport->reply(QStringLiteral("reset_to_vanilla"), std::nullopt);
    QTest::mouseClick(interlock, Qt::LeftButton);
    EXPECT_FALSE(interlock->isChecked());
    EXPECT_EQ(rig.page->statusLine()->text(), L10n::tr("fan.status.reset_failure", "en"));
    EXPECT_EQ(rig.page->statusLine()->token(), DSToken::red);

    for (int id : {5, 6, 7, 12, 13, 14}) {
        SwitchControl* other = rig.page->featureRow(id)->switchControl();
        EXPECT_FALSE(other->isEnabled()) << id;
        QTest::mouseClick(other, Qt::LeftButton);
        EXPECT_FALSE(other->isChecked()) << id;
    }
    EXPECT_EQ(rig.transport->requestsFor(QStringLiteral("reset_to_vanilla")).size(), 2u);
}

TEST(FanCurvePage, CalibrationSheetButtonsCannotBePressed)
{
    CurvePageRig rig;
    rig.open();
    CalibrationSheet* sheet = rig.page->openCalibrationSheet();
    ASSERT_TRUE(sheet);
    EXPECT_TRUE(rig.page->showCalibrationSheet());
    const size_t before = rig.transport->requests().size();
    for (QPushButton* b : {sheet->startButton(), sheet->applyButton()}) {
        EXPECT_FALSE(b->isEnabled());
        QTest::mouseClick(b, Qt::LeftButton);
    }
    EXPECT_EQ(rig.transport->requests().size(), before);
    sheet->close();
}

TEST(FanCurvePage, SmartAppSaveSendsThePerformanceCurveWithTheChosenPreset)
{
    CurvePageRig rig;
    rig.open();
    SmartAppPresetSheet* sheet = rig.page->openSmartAppSheet();
    ASSERT_TRUE(sheet);
    EXPECT_TRUE(rig.page->showSmartAppSheet());
    // The two example rules cannot change; the third can.
    for (int rule : {0, 1}) {
        EXPECT_FALSE(sheet->launchPicker(rule)->isEnabled());
        EXPECT_FALSE(sheet->exitPicker(rule)->isEnabled());
    }
    EXPECT_EQ(sheet->launchPicker(1)->currentData().toString(), "Performance");
    EXPECT_EQ(sheet->exitPicker(1)->currentData().toString(), "Silent");
    QComboBox* launch = sheet->launchPicker(2);
    ASSERT_TRUE(launch->isEnabled());
    launch->setCurrentIndex(launch->findData(QStringLiteral("Silent")));
    Q_EMIT launch->activated(launch->currentIndex());
    EXPECT_EQ(sheet->exitPicker(2)->count(), 4);

    QTest::mouseClick(sheet->saveButton(), Qt::LeftButton);
    ASSERT_EQ(rig.fanConfigs().size(), 1u);
    const QJsonObject sent = rig.fanConfigs().back();
    EXPECT_EQ(sent["preset_name"], "Silent");
    EXPECT_EQ(sent["mode"], "manual");
    EXPECT_EQ(sent["smart_app_preset"], true);
    std::vector<std::pair<double, double>> performance;
    for (const auto& p : FanCurveSettings::defaultPerformance().points)
        performance.emplace_back(p.temperature, p.fanPercent);
    EXPECT_EQ(test::FanPageRig::leftPoints(sent), performance);
    EXPECT_EQ(sheet->statusLine()->token(), DSToken::green);
    EXPECT_EQ(sheet->statusLine()->text(), L10n::tr("fan.smart_app.save_success", "en"));

    // Adding an app is not possible yet: said in orange, nothing sent.
    QTest::mouseClick(sheet->addAppButton(), Qt::LeftButton);
    EXPECT_EQ(sheet->statusLine()->token(), DSToken::orange);
    EXPECT_EQ(rig.fanConfigs().size(), 1u);
    sheet->close();
}

TEST(FanCurvePage, SmartAppSheetDrawsThePreemptiveSwitchOn)
{
    CurvePageRig rig;
    rig.open();
    SmartAppPresetSheet* sheet = rig.page->openSmartAppSheet();
    SwitchControl* preemptive = sheet->preemptiveSwitch();
    ASSERT_TRUE(preemptive->isChecked());
    // Drawn like a switch that is on, not merely checked with its knob left on the off side.
    SwitchControl on;
    on.setCheckable(true);
    on.setChecked(true);
    SwitchControl off;
    on.resize(preemptive->size());
    off.resize(preemptive->size());
    // Near the track's left end: the blue track when on, the white knob when off.
    const QPoint leftEnd((preemptive->width() - 40) / 2 + 7, preemptive->height() / 2);
    const QColor shown = preemptive->grab().toImage().pixelColor(leftEnd);
    EXPECT_EQ(shown, on.grab().toImage().pixelColor(leftEnd));
    EXPECT_NE(shown, off.grab().toImage().pixelColor(leftEnd));
    sheet->close();
}
