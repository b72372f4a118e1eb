// The sleep and convenience pages offscreen: a switch goes through to the model and shows
// what the model keeps, the clamshell rows follow the hardware, the cut-off slider stores
// one value in both cut-offs, the explanation sheets walk to the result, and the convenience
// page changes nothing.
#include <gtest/gtest.h>

#include <QGraphicsOpacityEffect>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include "FakeSleepControls.h"
#include "UiTestRig.h"
#include "l10n/L10n.h"
#include "ui/convenience/ConvenienceContractPanel.h"
#include "ui/convenience/ConveniencePage.h"
#include "ui/power/ProtectionSliderCard.h"
#include "ui/shell/MainSplitView.h"
#include "ui/shell/PlaceholderPage.h"
#include "ui/shell/SidebarLayout.h"
#include "ui/shell/VantrelRootView.h"
#include "ui/sleep/SleepPage.h"
#include "ui/sleep/SleepPageModel.h"
#include "ui/widgets/FeatureDetailModal.h"
#include "ui/widgets/FeatureRow.h"
#include "ui/widgets/StatusLine.h"
#include "ui/widgets/SwitchControl.h"
#include "ui/widgets/TokenLabel.h"

using namespace vantrel;

namespace {

struct SleepRig : test::UiTestRig {
    std::shared_ptr<test::FakeSleepControls> controls = std::make_shared<test::FakeSleepControls>();
    std::unique_ptr<SleepPage> page;

    void open()
    {
        page = std::make_unique<SleepPage>(context(), controls);
        page->resize(900, 1200);
        page->show();
        dispatch.runUntilIdle();
    }
    void click(int id) { QTest::mouseClick(page->row(id)->toggle(), Qt::LeftButton); }
};

} // namespace

TEST(SleepPage, ClamshellRowsFollowTheHardwareAndTheRemoteDisplayRowIsInert)
{
    L10n::setCurrentLanguage("en");
    SleepRig rig;
    rig.controls->clamshell = false;
    rig.open();
    EXPECT_EQ(rig.page->row(28), nullptr);
    EXPECT_EQ(rig.page->row(29), nullptr);
    ASSERT_NE(rig.page->row(25), nullptr);
    EXPECT_EQ(rig.page->row(25)->connectionLabel(), "set_system_sleep_disabled");
    EXPECT_EQ(rig.page->row(25)->titleLabel()->text(), "Prevent System Sleep");
    FeatureRow* remote = rig.page->row(30);
    EXPECT_TRUE(remote->isRowDisabled());
    EXPECT_FALSE(remote->toggle()->isEnabled());
    EXPECT_DOUBLE_EQ(static_cast<QGraphicsOpacityEffect*>(remote->graphicsEffect())->opacity(), 0.4);

    // The profile arrives: the clamshell rows appear, dimmed on a desktop Mac.
    rig.controls->clamshell = true;
    rig.controls->desktop = true;
    Q_EMIT rig.controls->hardwareProfileChanged();
    ASSERT_NE(rig.page->row(28), nullptr);
    ASSERT_NE(rig.page->row(29), nullptr);
    EXPECT_TRUE(rig.page->row(28)->toggle()->isEnabled());
    EXPECT_DOUBLE_EQ(rig.page->row(28)->rowOpacity(), 0.4);
    EXPECT_DOUBLE_EQ(rig.page->row(25)->rowOpacity(), 1.0);
}

TEST(SleepPage, PreventSleepSwitchWaitsForTheDaemonAndFallsBackWhenRefused)
{
    L10n::setCurrentLanguage("en");
    SleepRig rig;
    rig.open();
    rig.click(25);
    ASSERT_EQ(rig.controls->preventRequests.size(), 1u);
    EXPECT_TRUE(rig.controls->preventRequests[0].first);
    EXPECT_TRUE(rig.page->row(25)->isOn());
    EXPECT_TRUE(rig.page->row(25)->isBusy());
    EXPECT_FALSE(rig.page->row(25)->toggle()->isEnabled()) << "no second request while one is open";
    EXPECT_EQ(rig.page->statusLine()->text(), "Applying Prevent System Sleep…");

    rig.controls->answer(0, false, false);
    EXPECT_FALSE(rig.page->row(25)->isOn());
    EXPECT_FALSE(rig.page->row(25)->isBusy());
    EXPECT_EQ(rig.page->statusLine()->text(), "Could not apply Prevent System Sleep.");
    EXPECT_EQ(rig.page->statusLine()->token(), DSToken::red);
}

TEST(SleepPage, LowBatteryAndMissingClamshellSpringTheSwitchesBack)
{
    L10n::setCurrentLanguage("en");
    SleepRig rig;
    rig.controls->state.setSleepBatteryCutoffPercent(40);
    rig.controls->battery = 30;
    rig.open();
    rig.click(25);
    EXPECT_FALSE(rig.page->row(25)->isOn());
    EXPECT_TRUE(rig.controls->preventRequests.empty());
    EXPECT_EQ(rig.page->statusLine()->text(),
              "Prevent System Sleep stays off: the battery is at 30%, below the 40% cut-off.");

    rig.click(29);
    EXPECT_FALSE(rig.page->row(29)->isOn());
    EXPECT_EQ(rig.page->statusLine()->text(), L10n::tr("sleep.status.safety_lock_req"));

    rig.click(27);
    EXPECT_TRUE(rig.page->row(27)->isOn());
    EXPECT_TRUE(rig.controls->state.displayKeepAliveEnabled());
}

TEST(SleepPage, TappingACutoffTickStoresItInBothCutoffs)
{
    SleepRig rig;
    rig.controls->state.setSleepBatteryCutoffPercent(30);
    rig.controls->state.setVirtualClamshellBatteryCutoffPercent(50);
    rig.open();
    EXPECT_EQ(rig.controls->state.virtualClamshellBatteryCutoffPercent(), 30) << "the page keeps them equal";
    MarkedSlider* slider = rig.page->cutoffCard()->slider();
    EXPECT_EQ(slider->minimum(), 20);
    EXPECT_EQ(slider->maximum(), 80);
    EXPECT_EQ(slider->value(), 30);
    const QPoint tick(static_cast<int>(slider->positionOf(70)), slider->height() / 2);
    QTest::mouseClick(slider, Qt::LeftButton, {}, tick);
    EXPECT_EQ(rig.controls->state.sleepBatteryCutoffPercent(), 70);
    EXPECT_EQ(rig.controls->state.virtualClamshellBatteryCutoffPercent(), 70);
    EXPECT_EQ(rig.page->cutoffCard()->valueText(), "70%");
    EXPECT_EQ(rig.controls->calls.last(), "reconcile sleep-shared-cutoff-slider");
}

TEST(FeatureDetailModal, WalksTheFourStepsToTheResult)
{
    L10n::setCurrentLanguage("en");
    SleepRig rig;
    rig.open();
    FeatureDetailModal* modal = rig.page->openDetail(29);
    ASSERT_NE(modal, nullptr);
    EXPECT_EQ(modal->pageCount(), 5);
    EXPECT_FALSE(modal->previousButton()->isEnabled());
    EXPECT_EQ(modal->body(), L10n::tr("feature.sleep.safety_lock.modal.1"));
    EXPECT_EQ(modal->heading(), "Step 1 of 4");
    for (int i = 0; i < 4; ++i)
        QTest::mouseClick(modal->nextButton(), Qt::LeftButton);
    EXPECT_TRUE(modal->showsResult());
    EXPECT_EQ(modal->heading(), L10n::tr("detail.final_result"));
    EXPECT_EQ(modal->body(), L10n::tr("feature.sleep.safety_lock.result"));
    EXPECT_FALSE(modal->nextButton()->isEnabled());
    QTest::mouseClick(modal->previousButton(), Qt::LeftButton);
    EXPECT_EQ(modal->body(), L10n::tr("feature.sleep.safety_lock.modal.4"));
    modal->close();
}

TEST(ConveniencePage, ShowsSevenInertRowsAndChangesNothing)
{
    L10n::setCurrentLanguage("en");
    test::UiTestRig rig;
    VantrelRootView root(rig.context());
    root.resize(1100, 800);
    root.show();
    rig.dispatch.runUntilIdle();
    const QStringList keysBefore = rig.preferences.keys();
    const auto requestsBefore = rig.transport->requests().size();
    // Without the model's sleep controls the sleep page is not offered.
    root.splitView()->setSelectedPage(page::sleep);
    EXPECT_NE(qobject_cast<PlaceholderPage*>(root.splitView()->currentPage()), nullptr);

    root.splitView()->setSelectedPage(page::convenience);
    auto* page = qobject_cast<ConveniencePage*>(root.splitView()->currentPage());
    ASSERT_NE(page, nullptr);
    rig.dispatch.runUntilIdle();

    QList<int> ids;
    for (FeatureRow* row : page->rows()) {
        ids << row->spec().id;
        EXPECT_FALSE(row->isOn());
        EXPECT_FALSE(row->toggle()->isEnabled());
        EXPECT_DOUBLE_EQ(row->rowOpacity(), 0.4);
        EXPECT_EQ(row->connectionLabel(), "backend needed");
        QTest::mouseClick(row->toggle(), Qt::LeftButton);
        EXPECT_FALSE(row->isOn());
    }
    EXPECT_EQ(ids, (QList<int>{41, 42, 43, 44, 45, 46, 47}));

    ConvenienceContractPanel* panel = page->panel();
    EXPECT_EQ(panel->dockRecentCount(), 5);
    EXPECT_EQ(panel->stepperText(), L10n::tr("convenience.dock_recent_count") + ": 5");
    panel->stepper()->setValue(25);
    EXPECT_EQ(panel->dockRecentCount(), 20);
    panel->stepper()->setValue(-3);
    EXPECT_EQ(panel->dockRecentCount(), 0);
    EXPECT_EQ(panel->stepperText(), L10n::tr("convenience.dock_recent_count") + ": 0");
    for (QPushButton* button : panel->actionButtons()) {
        EXPECT_FALSE(button->isEnabled());
        QTest::mouseClick(button, Qt::LeftButton);
    }

    FeatureDetailModal* modal = page->openDetail(43);
    ASSERT_NE(modal, nullptr);
    EXPECT_EQ(modal->pageCount(), 5);
    modal->goTo(4);
    EXPECT_EQ(modal->body(), L10n::tr("feature.convenience.animation_zero.result"));
    modal->close();

    rig.dispatch.runUntilIdle();
    EXPECT_EQ(rig.preferences.keys(), keysBefore);
    EXPECT_EQ(rig.transport->requests().size(), requestsBefore);
    EXPECT_TRUE(root.findChildren<QProcess*>().isEmpty());
}
