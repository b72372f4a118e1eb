// The power page offscreen against a scripted daemon: switches and sliders end in the
// right requests (one for a burst of heat-slider moves), a rejected apply puts the
// switches back, no battery leaves the controls inert, and the three sheets do their part.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalSpy>
#include <QTest>

#include "UiTestRig.h"
#include "l10n/L10n.h"
#include "power/HeatProtectionAlertCenter.h"
#include "power/PowerPageModel.h"
#include "ui/power/OnlyPowerEnergyModal.h"
#include "ui/power/PowerAlertSettingsModal.h"
#include "ui/power/PowerContractPanel.h"
#include "ui/power/PowerFeatureList.h"
#include "ui/power/PowerPage.h"
#include "ui/power/ProtectionSliderCard.h"
#include "ui/power/SafetyDrainTargetModal.h"
#include "ui/shell/MainSplitView.h"
#include "ui/shell/VantrelRootView.h"
#include "ui/widgets/AlertBanner.h"
#include "ui/widgets/Card.h"
#include "ui/widgets/MetricView.h"
#include "ui/widgets/SegmentedControl.h"
#include "ui/widgets/StatusLine.h"
#include "ui/widgets/SwitchControl.h"

using namespace vantrel;

namespace {

const QJsonObject kReadback{{"status", "ok"},
                            {"battery_present", true},
                            {"battery_percent", 76},
                            {"power_only_state", "power_only_at_target"},
                            {"charge_limit_enabled", true},
                            {"target_charge_limit", 80},
                            {"charge_protector_enabled", false},
                            {"safety_drain_enabled", true},
                            {"safety_drain_active", false},
                            {"safety_drain_auto_wait_seconds", 45},
                            {"heat_protection_enabled", true},
                            {"max_battery_temp", 38.0}};

struct PowerRig : test::UiTestRig {
    std::unique_ptr<PowerPage> page;
    explicit PowerRig(QJsonObject readback = kReadback, HeatProtectionAlertCenter* alerts = nullptr)
    {
        transport->reply("get_power_policy_state", readback);
        transport->replyOk("set_battery_config");
        UiContext c = context();
        c.heatAlerts = alerts;
        page = std::make_unique<PowerPage>(c, PageNavigator());
        page->resize(900, 1400);
        page->show();
        dispatch.runUntilIdle();
    }
    std::vector<QJsonObject> sent() { return transport->requestsFor("set_battery_config"); }
    SwitchControl* toggle(int id) { return page->features()->switchFor(id); }
};

} // namespace

TEST(PowerPage, ShowsTheReadbackAndSendsWhatTheControlsAsk)
{
    PowerRig rig;
    EXPECT_TRUE(rig.page->batteryControlsAvailable()) << "the readback names a battery";
    EXPECT_TRUE(rig.toggle(15)->isChecked());
    EXPECT_TRUE(rig.toggle(18)->isChecked());
    EXPECT_FALSE(rig.toggle(17)->isChecked());
    PowerContractPanel* panel = rig.page->panel();
    EXPECT_EQ(panel->chargeLimitCard()->valueText(), "80%");
    EXPECT_EQ(panel->heatCard()->valueText(), "38°C");
    EXPECT_EQ(panel->drainMetric()->value(), L10n::format("power.safety_drain.state.waiting", "45"));
    EXPECT_EQ(panel->gateMetric()->value(), L10n::tr("has_battery"));
    EXPECT_TRUE(rig.sent().empty()) << "showing the daemon's values sends nothing";

    // Switch 17 by click: one request carrying it.
    QTest::mouseClick(rig.toggle(17), Qt::LeftButton);
    rig.dispatch.runUntilIdle();
    ASSERT_EQ(rig.sent().size(), 1u);
    EXPECT_TRUE(rig.sent()[0].value("charge_protector").toBool());
    EXPECT_EQ(rig.page->features()->statusLine()->token(), DSToken::green);

    // Three heat-slider moves within 300 ms: one request with the last value.
    MarkedSlider* heat = panel->heatCard()->slider();
    for (int v : {39, 40, 42}) {
        heat->setValue(v);
        rig.dispatch.advance(Duration(100));
    }
    EXPECT_EQ(rig.sent().size(), 1u);
    rig.dispatch.advance(Duration(200));
    ASSERT_EQ(rig.sent().size(), 2u);
    EXPECT_DOUBLE_EQ(rig.sent()[1].value("max_temp").toDouble(), 42.0);

    // Letting go of the charge slider applies at once with the limit switched on.
    QTest::mouseClick(rig.toggle(15), Qt::LeftButton);
    rig.dispatch.runUntilIdle();
    EXPECT_FALSE(rig.sent().back().value("enabled").toBool());
    MarkedSlider* charge = panel->chargeLimitCard()->slider();
    QTest::mouseClick(charge, Qt::LeftButton, {}, QPoint(int(charge->positionOf(70)), 12));
    rig.dispatch.runUntilIdle();
    EXPECT_EQ(rig.sent().back().value("limit").toInt(), 70);
    EXPECT_TRUE(rig.sent().back().value("enabled").toBool());
    EXPECT_TRUE(rig.toggle(15)->isChecked());
    EXPECT_EQ(panel->chargeLimitCard()->valueText(), "70%");
}

TEST(PowerPage, SaysInTheUsersLanguageWhenTheFirmwareIgnoresTheLimit)
{
    PowerRig rig;
    StatusLine* warning = rig.page->chargeLimitWarning();
    EXPECT_FALSE(warning->isVisible()) << "a reply without the key means the limit holds";

    QJsonObject ignored = kReadback;
    ignored["charge_limit_in_effect"] = false;
    ignored["charge_limit_warning_message"] = "The battery keeps charging past the 80% limit: the firmware ignores it.";
    rig.transport->reply("get_power_policy_state", ignored);
    rig.dispatch.advance(Duration(1000));
    rig.dispatch.runUntilIdle();
    ASSERT_TRUE(warning->isVisible());
    EXPECT_EQ(warning->token(), DSToken::orange);
    EXPECT_EQ(warning->text(), L10n::format("power.charge_limit.ignored", "80", "en"));
    EXPECT_TRUE(warning->text().contains("80%"));

    // The page's own words follow the language; the daemon's English text is not shown.
    L10n::setCurrentLanguage("de");
    EXPECT_EQ(warning->text(), L10n::format("power.charge_limit.ignored", "80", "de"));
    EXPECT_NE(warning->text(), L10n::format("power.charge_limit.ignored", "80", "en"));
    L10n::setCurrentLanguage("en");

    rig.transport->reply("get_power_policy_state", kReadback);
    rig.dispatch.advance(Duration(1000));
    rig.dispatch.runUntilIdle();
    EXPECT_FALSE(warning->isVisible());
}

TEST(PowerPage, ARejectedApplyPutsTheSwitchesBack)
{
    PowerRig rig;
    rig.transport->reply("set_battery_config", QJsonObject{{"status", "error"}, {"message", "charger busy"}});
    QTest::mouseClick(rig.toggle(19), Qt::LeftButton);
    EXPECT_FALSE(rig.toggle(19)->isChecked()) << "the click shows at once";
    rig.dispatch.runUntilIdle();
    EXPECT_TRUE(rig.toggle(19)->isChecked()) << "the daemon still holds heat protection on";
    EXPECT_EQ(rig.page->features()->statusLine()->token(), DSToken::red);
    EXPECT_TRUE(rig.page->features()->statusLine()->text().contains("charger busy"));
}

TEST(PowerPage, WithoutABatteryTheControlsAreInert)
{
    QJsonObject none = kReadback;
    none["battery_present"] = false;
    PowerRig rig(none);
    EXPECT_FALSE(rig.page->batteryControlsAvailable());
    EXPECT_FALSE(rig.toggle(15)->isEnabled());
    EXPECT_FALSE(rig.page->panel()->chargeLimitCard()->slider()->isEnabled());
    rig.page->model().handleFeatureToggle(17, true);
    rig.page->panel()->setChargeLimitAndApply(60);
    rig.dispatch.advance(Duration(1000));
    EXPECT_TRUE(rig.sent().empty());
    EXPECT_FALSE(rig.toggle(17)->isChecked());
}

TEST(PowerPage, DrainTimerAdvancesTheCountdownOnlyWhileShown)
{
    PowerRig rig;
    QJsonObject later = kReadback;
    later["safety_drain_auto_wait_seconds"] = 44;
    rig.transport->reply("get_power_policy_state", later);
    rig.dispatch.advance(Duration(1000));
    EXPECT_EQ(rig.page->panel()->drainMetric()->value(), L10n::format("power.safety_drain.state.waiting", "44"));

    rig.page->hide();
    const size_t reads = rig.transport->requestsFor("get_power_policy_state").size();
    rig.dispatch.advance(Duration(5000));
    EXPECT_EQ(rig.transport->requestsFor("get_power_policy_state").size(), reads);
}

TEST(PowerPage, HeatAlertsOfThePowerSurfaceShowOnTheBanner)
{
    HeatProtectionAlertCenter alerts([] { return 38.0; });
    QJsonObject hot = kReadback;
    hot["heat_protection_active"] = true;
    hot["heat_protection_remaining_seconds"] = 120;
    hot["battery_temp"] = 41.5;
    PowerRig rig(hot, &alerts);
    EXPECT_TRUE(rig.page->alertBanner()->isVisibleTo(rig.page.get()));
    EXPECT_FALSE(rig.page->alertBanner()->title().isEmpty());
}

TEST(PowerPage, DrainTargetSheetSendsTheChoice)
{
    PowerRig rig;
    SafetyDrainTargetModal* modal = rig.page->openSafetyDrainTargetPicker();
    EXPECT_EQ(modal->optionIds(), (QStringList{"auto", "fixed-80", "fixed-70", "fixed-60", "fixed-50"}));
    EXPECT_EQ(modal->selectedId(), "auto");
    QTest::mouseClick(modal->optionCards()[3], Qt::LeftButton);
    rig.dispatch.runUntilIdle();
    ASSERT_FALSE(rig.sent().empty());
    EXPECT_EQ(rig.sent().back().value("safety_drain_target_mode").toString(), "fixed");
    EXPECT_EQ(rig.sent().back().value("safety_drain_target_percent").toInt(), 60);
    EXPECT_EQ(rig.page->features()->drainTargetButton()->text(), L10n::format("power.panel.drain_target", "60%"));

    modal = rig.page->openSafetyDrainTargetPicker();
    EXPECT_EQ(modal->selectedId(), "fixed-60");
    modal->choose(0);
    rig.dispatch.runUntilIdle();
    EXPECT_EQ(rig.sent().back().value("safety_drain_target_mode").toString(), "charge_limit");
}

TEST(PowerPage, AlertSettingsSheetNeedsHttpsAndSavesTheValues)
{
    PowerRig rig;
    rig.transport->replyOk("set_cloud_alert_settings");
    PowerAlertSettingsModal* modal = rig.page->openPowerAlertSettings();
    EXPECT_EQ(modal->userField()->text(), "studio-mac-01");
    EXPECT_EQ(modal->intervalControl()->currentIndex(), 1) << "300 s";
    modal->urlField()->setText("http://example.com/hook");
    EXPECT_EQ(modal->hintText(), L10n::tr("power.alert_settings.https_needed"));
    modal->enabledSwitch()->setChecked(true);
    QTest::mouseClick(modal->saveButton(), Qt::LeftButton);
    rig.dispatch.runUntilIdle();
    EXPECT_TRUE(modal->isVisible()) << "an insecure address stays open";
    EXPECT_TRUE(rig.transport->requestsFor("set_cloud_alert_settings").empty());

    modal->urlField()->setText("https://example.com/hook");
    EXPECT_EQ(modal->hintText(), L10n::tr("power.alert_settings.https_valid"));
    modal->userField()->setText("desk-7");
    modal->intervalControl()->setCurrentIndex(3);
    QTest::mouseClick(modal->saveButton(), Qt::LeftButton);
    rig.dispatch.runUntilIdle();
    const auto sent = rig.transport->requestsFor("set_cloud_alert_settings");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].value("webhook_url").toString(), "https://example.com/hook");
    EXPECT_EQ(sent[0].value("user_id").toString(), "desk-7");
    EXPECT_EQ(sent[0].value("interval_seconds").toInt(), 1800);
    EXPECT_TRUE(sent[0].value("enabled").toBool());
    EXPECT_TRUE(rig.toggle(23)->isChecked());
}

TEST(PowerPage, EnergySheetCollectsThenReloadsEveryTenSeconds)
{
    test::UiTestRig base;
    int loads = 0;
    OnlyPowerEnergySnapshot snapshot;
    OnlyPowerEnergyModal modal(base.dispatch, [&] {
        ++loads;
        return snapshot;
    });
    EXPECT_EQ(loads, 1);
    EXPECT_TRUE(modal.showsCollecting());
    ASSERT_EQ(modal.figureViews().size(), 12u);

    snapshot.samples.push_back(OnlyPowerEnergySample{});
    snapshot.systemEnergyWh = 42.0;
    base.dispatch.advanceSeconds(9.9);
    EXPECT_EQ(loads, 1);
    base.dispatch.advanceSeconds(0.1);
    EXPECT_EQ(loads, 2);
    EXPECT_FALSE(modal.showsCollecting());
    EXPECT_EQ(modal.figureViews()[0]->value(), "42.0 Wh");

    modal.accept();
    base.dispatch.advanceSeconds(30);
    EXPECT_EQ(loads, 2) << "a closed sheet stops reloading";
}

TEST(PowerPage, FitsTheNarrowestWindowInEveryLanguage)
{
    for (const char* lang : {"en", "ko", "de"}) {
        L10n::setCurrentLanguage(lang);
        PowerRig rig;
        VantrelRootView root(rig.context());
        root.resize(root.minimumSize());
        root.splitView()->setSelectedPage("power");
        root.show();
        rig.dispatch.runUntilIdle();
        auto* page = qobject_cast<PowerPage*>(root.splitView()->currentPage());
        ASSERT_NE(page, nullptr);
        rig.dispatch.runUntilIdle();
        QCoreApplication::processEvents();
        auto* scroll = page->findChild<QScrollArea*>();
        ASSERT_NE(scroll, nullptr);
        EXPECT_LE(scroll->widget()->minimumSizeHint().width(), scroll->viewport()->width()) << lang;
        EXPECT_FALSE(page->panel()->isTwoColumns()) << lang;
    }
    L10n::setCurrentLanguage("en");
}
