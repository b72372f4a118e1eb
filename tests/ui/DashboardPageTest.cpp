// The dashboard page offscreen: clicking the reset action through its confirmation and
// reading the status line, the connection failure, the sheets, the heat alert banner and
// the card arrangement at the narrowest and a wide window.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>

#include "UiTestRig.h"
#include "l10n/KoreanLiteralTable.h"
#include "l10n/L10n.h"
#include "power/HeatProtectionAlertCenter.h"
#include "ui/dashboard/DashboardModel.h"
#include "ui/dashboard/DashboardPage.h"
#include "ui/dashboard/EventListView.h"
#include "ui/dashboard/PolicyCard.h"
#include "ui/dashboard/SensorTemperatureModal.h"
#include "ui/dashboard/SummaryCard.h"
#include "ui/widgets/AlertBanner.h"
#include "ui/widgets/ConfirmDialog.h"
#include "ui/widgets/DetailSheet.h"
#include "ui/widgets/MetricView.h"
#include "ui/widgets/StatusLine.h"
#include "ui/widgets/TokenLabel.h"

using namespace vantrel;

namespace {

struct PageRig : test::UiTestRig {
    std::unique_ptr<DashboardPage> page;
    explicit PageRig(HeatProtectionAlertCenter* alerts = nullptr)
    {
        UiContext c = context();
        c.heatAlerts = alerts;
        page = std::make_unique<DashboardPage>(c, [this](const QString& id) { navigated << id; });
        page->resize(900, 900);
    }
    QStringList navigated;
};

} // namespace

TEST(DashboardPage, ResetAskedThenConfirmedReportsOnTheStatusLine)
{
    PageRig rig;
    rig.answerStatus();
    rig.transport->replyOk("reset_to_vanilla");
    rig.page->show();
    rig.dispatch.runUntilIdle();
    EXPECT_EQ(rig.page->statusLine()->token(), DSToken::green);

    // Declined: nothing is sent.
    ConfirmDialog::setNextAnswer(false);
    QTest::mouseClick(rig.page->resetButton(), Qt::LeftButton);
    ASSERT_TRUE(ConfirmDialog::lastQuestion());
    EXPECT_EQ(ConfirmDialog::lastQuestion()->title, L10n::tr("macOS 기본값으로 복귀할까요?", "en"));
    rig.dispatch.runUntilIdle();
    EXPECT_TRUE(rig.transport->requestsFor("reset_to_vanilla").empty());

    // Confirmed: the request line in orange, then the outcome in green and an event.
    ConfirmDialog::setNextAnswer(true);
    QTest::mouseClick(rig.page->resetButton(), Qt::LeftButton);
    EXPECT_EQ(rig.page->statusLine()->text(), L10n::tr("안전 복귀 요청 중...", "en"));
    EXPECT_EQ(rig.page->statusLine()->token(), DSToken::orange);
    EXPECT_FALSE(rig.page->resetButton()->isEnabled()) << "no second reset while one runs";
    rig.dispatch.runUntilIdle();
    EXPECT_EQ(rig.transport->requestsFor("reset_to_vanilla").size(), 1u);
    EXPECT_EQ(rig.page->statusLine()->text(), L10n::tr("안전 복귀 완료. macOS 기본 상태를 다시 읽었습니다.", "en"));
    EXPECT_EQ(rig.page->statusLine()->token(), DSToken::green);
    EXPECT_TRUE(rig.page->resetButton()->isEnabled());
    ASSERT_EQ(rig.page->eventsView()->rows().size(), 1u);
    EXPECT_EQ(rig.page->eventsView()->rows()[0].leading, "SAFETY");
    EXPECT_EQ(rig.page->eventsView()->rows()[0].detail, L10n::tr("macOS 기본값 복귀 요청 성공", "en"));

    // A daemon that refuses: red.
    rig.transport->reply("reset_to_vanilla", QJsonObject{{"status", "error"}});
    ConfirmDialog::setNextAnswer(true);
    QTest::mouseClick(rig.page->resetButton(), Qt::LeftButton);
    rig.dispatch.runUntilIdle();
    EXPECT_EQ(rig.page->statusLine()->text(), L10n::tr("안전 복귀 실패 또는 daemon 미연결입니다.", "en"));
    EXPECT_EQ(rig.page->statusLine()->token(), DSToken::red);
    EXPECT_EQ(rig.page->eventsView()->rows().size(), 2u);
}

TEST(DashboardPage, UnreachableDaemonShowsTheFailureAndKeepsTheValues)
{
    PageRig rig;
    rig.answerStatus(63.4, 3100);
    rig.page->show();
    rig.dispatch.runUntilIdle();
    EXPECT_EQ(rig.page->cpuCard()->metric()->value(), "63°C");
    EXPECT_EQ(rig.page->cpuCard()->metric()->valueToken(), DSToken::green);
    EXPECT_EQ(rig.page->fanCard()->metric()->value(), "3100 RPM");

    rig.transport->reply("get_status", std::nullopt);
    rig.dispatch.advance(DashboardModel::refreshInterval);
    const QString status = rig.page->statusLine()->text();
    EXPECT_TRUE(status.startsWith(L10n::tr("dashboard.daemon.connection_failed", "en")));
    EXPECT_TRUE(status.contains(L10n::tr("/tmp/vantrel_daemon.sock 응답 없음", "en")));
    EXPECT_EQ(rig.page->statusLine()->token(), DSToken::red);
    EXPECT_EQ(rig.page->cpuCard()->metric()->value(), "63°C");

    rig.dispatch.advance(DashboardModel::refreshInterval * 3);
    EXPECT_EQ(rig.transport->requestsFor("get_status").size(), 5u) << "it keeps refreshing every two seconds";
    rig.page->hide();
    rig.dispatch.advance(DashboardModel::refreshInterval * 3);
    EXPECT_EQ(rig.transport->requestsFor("get_status").size(), 5u);
}

TEST(DashboardPage, PressureSheetsHaveFiveSectionsInOrder)
{
    PageRig rig;
    rig.answerStatus(88);
    rig.page->show();
    rig.dispatch.runUntilIdle();
    const QStringList titles = {L10n::tr("무엇을 보는 건가요?", "en"), L10n::tr("왜 Vantrel이 확인하나요?", "en"),
                                L10n::tr("좋은 상태는 어느 정도인가요?", "en"), L10n::tr("숫자 뜻을 쉽게 풀면", "en"),
                                L10n::tr("좋지 않을 때 Vantrel은", "en")};
    QSet<QString> bodies;
    for (auto subject : {PressureDetail::cpu, PressureDetail::memory, PressureDetail::storage}) {
        DetailSheet* sheet = rig.page->openPressureDetail(subject);
        ASSERT_EQ(sheet->sections().size(), 5u);
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(sheet->sections()[size_t(i)].title, titles[i]);
            const QString body = sheet->sections()[size_t(i)].body;
            EXPECT_GT(body.size(), 80) << "a real paragraph, not a key: " << body.toStdString();
            bodies.insert(body);
        }
        EXPECT_GE(sheet->metricCount(), 2);
        sheet->close();
    }
    EXPECT_EQ(bodies.size(), 15) << "every subject explains itself in its own words";
}

TEST(DashboardPage, SensorSheetGroupsByCategory)
{
    PageRig rig;
    rig.state.setAllSensors({
        {QUuid::createUuid(), "TB0T", "Battery Cell 0", SensorCategory::Battery, 31},
        {QUuid::createUuid(), "TPMP", "CPU P-Core Avg", SensorCategory::CPU, 55},
        {QUuid::createUuid(), "TCHP", "CPU Hotspot", SensorCategory::CPU, 71},
        {QUuid::createUuid(), "TD00", "SSD Ch0", SensorCategory::SSD, 41},
        {QUuid::createUuid(), "TG0D", "GPU Die", SensorCategory::GPU, 130},
    });
    auto* sheet = qobject_cast<SensorTemperatureModal*>(rig.page->openSensorSheet());
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->sectionTitles(),
              QStringList({L10n::tr("sensor.category.cpu", "en"), L10n::tr("sensor.category.ssd", "en"),
                           L10n::tr("battery_sensor", "en")}))
        << "fixed category order; a 130 °C reading is not shown";
    EXPECT_EQ(sheet->metricCount(), 3) << "CPU, SSD and battery summaries at the top";
    sheet->close();
}

TEST(DashboardPage, HeatProtectionAlertShowsAsABanner)
{
    HeatProtectionAlertCenter center([] { return 35.0; });
    PageRig rig(&center);
    rig.answerStatus();
    rig.transport->replyOk("get_power_policy_state", {{"heat_protection_active", true}, {"max_battery_temp", 38.0}});
    rig.page->show();
    rig.dispatch.runUntilIdle();
    EXPECT_FALSE(rig.page->alertBanner()->isHidden());
    EXPECT_EQ(rig.page->alertBanner()->title(), L10n::tr("열 보호 모드 작동", "en"));
}

TEST(DashboardPage, HeatAlertsShowTheReadbackFiguresInTheUsersLanguage)
{
    HeatProtectionAlertCenter center([] { return 35.0; });
    PageRig rig(&center);
    rig.answerStatus();
    // The daemon warns in Korean that the battery is near the limit; no episode is running.
    rig.transport->replyOk(
        "get_power_policy_state",
        {{"heat_protection_warning_message", "배터리 온도가 36.5°C로 열 보호 기준 37.0°C에 가깝습니다."},
         {"battery_percent", 80},
         {"max_battery_temp", 37.0}});
    rig.page->show();
    rig.dispatch.runUntilIdle();
    ASSERT_FALSE(rig.page->alertBanner()->isHidden());
    EXPECT_EQ(rig.page->alertBanner()->title(), L10n::tr("히트 프로텍션 경고", "en"));
    const QString warning = rig.page->alertBanner()->message();
    EXPECT_TRUE(warning.contains("36.5°C")) << warning.toStdString();
    EXPECT_TRUE(warning.contains("37°C")) << warning.toStdString();
    EXPECT_FALSE(warning.contains("paused")) << "a warning is not an episode: " << warning.toStdString();
    EXPECT_FALSE(KoreanLiteralTable::containsHangul(warning));

    // The banner follows a change of language with the same figures.
    L10n::setCurrentLanguage("de");
    EXPECT_TRUE(rig.page->alertBanner()->message().contains("36.5°C"));
    EXPECT_EQ(rig.page->alertBanner()->title(), L10n::tr("히트 프로텍션 경고", "de"));
    EXPECT_NE(rig.page->alertBanner()->message(), warning);
    L10n::setCurrentLanguage("en");

    // An episode: its threshold and remaining time, in English.
    rig.transport->replyOk(
        "get_power_policy_state",
        {{"heat_protection_active", true}, {"heat_protection_remaining_seconds", 95}, {"max_battery_temp", 38.6}});
    rig.page->model().refresh(true);
    rig.dispatch.runUntilIdle();
    const QString episode = rig.page->alertBanner()->message();
    EXPECT_TRUE(episode.contains("38°C")) << episode.toStdString();
    EXPECT_TRUE(episode.contains("95")) << episode.toStdString();
    EXPECT_FALSE(KoreanLiteralTable::containsHangul(episode));
}

TEST(DashboardPage, CardsShowTheCollectedValuesWithTheirColours)
{
    PageRig rig;
    rig.answerStatus(91, 5200);
    rig.transport->replyOk(
        "get_system_snapshot",
        {{"memory",
          QJsonObject{{"level", "critical"}, {"used_bytes", 15.5 * (1 << 30)}, {"total_bytes", 16.0 * (1 << 30)}}},
         {"ssd", QJsonObject{{"temperature_celsius", 72}}}});
    rig.transport->replyOk("get_power_policy_state",
                           {{"fan_policy_enabled", true}, {"fan_preset_name", "curve_turbo"}});
    rig.page->show();
    rig.dispatch.runUntilIdle();
    EXPECT_EQ(rig.page->cpuCard()->metric()->valueToken(), DSToken::red);
    EXPECT_EQ(rig.page->memoryCard()->metric()->value(), "15 / 16 GB");
    EXPECT_EQ(rig.page->memoryCard()->metric()->valueToken(), DSToken::red);
    EXPECT_EQ(rig.page->storageCard()->metric()->value(), "72°C");
    EXPECT_EQ(rig.page->storageCard()->metric()->valueToken(), DSToken::red);
    EXPECT_EQ(rig.page->policyCard()->policyText(), L10n::tr("dashboard.driver.fan_policy", "en"));

    // Refreshes update the policy rows in place: no new widgets every two seconds.
    const auto labels = rig.page->policyCard()->findChildren<TokenLabel*>();
    rig.dispatch.advanceSeconds(4);
    EXPECT_EQ(rig.page->policyCard()->findChildren<TokenLabel*>(), labels);
    const auto flags = rig.page->policyCard()->flags();
    ASSERT_EQ(flags.size(), 7u);
    EXPECT_TRUE(flags[6].second) << "fan policy";
}

TEST(DashboardPage, BatteryCardSaysWhenTheFirmwareIgnoresTheLimit)
{
    PageRig rig;
    rig.answerStatus();
    QJsonObject power{{"status", "ok"},
                      {"battery_present", true},
                      {"battery_percent", 86},
                      {"target_charge_limit", 80},
                      {"charge_limit_enabled", true}};
    rig.transport->reply("get_power_policy_state", power);
    rig.page->show();
    rig.dispatch.runUntilIdle();
    // Without the key (the simulator) the limit holds.
    EXPECT_EQ(rig.page->batteryCard()->caption(), L10n::formatList("dashboard.battery.limit", {"80", "75"}, "en"));
    EXPECT_EQ(rig.page->batteryCard()->captionToken(), DSToken::textTer);

    power["charge_limit_in_effect"] = false;
    power["charge_limit_warning_message"] = "The battery keeps charging past the 80% limit: the firmware ignores it.";
    rig.transport->reply("get_power_policy_state", power);
    rig.dispatch.advance(DashboardModel::refreshInterval);
    rig.dispatch.runUntilIdle();
    EXPECT_EQ(rig.page->batteryCard()->caption(), L10n::format("dashboard.battery.limit_ignored", "80", "en"));
    EXPECT_TRUE(rig.page->batteryCard()->caption().contains("80%"));
    EXPECT_EQ(rig.page->batteryCard()->captionToken(), DSToken::orange);

    // The firmware stops: the card describes the limit as holding again.
    power["charge_limit_in_effect"] = true;
    rig.transport->reply("get_power_policy_state", power);
    rig.dispatch.advance(DashboardModel::refreshInterval);
    rig.dispatch.runUntilIdle();
    EXPECT_EQ(rig.page->batteryCard()->caption(), L10n::formatList("dashboard.battery.limit", {"80", "75"}, "en"));
    EXPECT_EQ(rig.page->batteryCard()->captionToken(), DSToken::textTer);
}

TEST(DashboardPage, CardsFitTheWindowAtEveryWidthInTheLongestLanguage)
{
    L10n::setCurrentLanguage("de");
    PageRig rig;
    rig.answerStatus();
    auto fitsViewport = [&] {
        // Nothing may reach past the visible area: the page does not scroll sideways.
        const QWidget* viewport = rig.page->cpuCard()->parentWidget()->parentWidget();
        for (const QWidget* card : std::initializer_list<const QWidget*>{
                 rig.page->cpuCard(), rig.page->memoryCard(), rig.page->storageCard(), rig.page->fanCard(),
                 rig.page->policyCard(), rig.page->batteryCard()})
            if (card->mapTo(viewport, QPoint(card->width(), 0)).x() > viewport->width())
                return false;
        return true;
    };
    // A new arrangement asks for a new layout, which the scroll area answers on the next pass.
    auto settle = [] {
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    };
    // The page beside the sidebar in the smallest window, then in a wide one.
    rig.page->resize(680, 600);
    rig.page->show();
    rig.dispatch.runUntilIdle();
    settle();
    EXPECT_FALSE(rig.page->summaryInOneRow());
    EXPECT_TRUE(fitsViewport());
    EXPECT_LT(rig.page->cpuCard()->geometry().bottom(), rig.page->storageCard()->geometry().top());

    rig.page->resize(1400, 800);
    settle();
    EXPECT_TRUE(rig.page->summaryInOneRow());
    EXPECT_TRUE(fitsViewport());
    EXPECT_EQ(rig.page->cpuCard()->geometry().top(), rig.page->fanCard()->geometry().top());

    rig.page->resize(680, 600);
    settle();
    EXPECT_FALSE(rig.page->summaryInOneRow());
    EXPECT_TRUE(fitsViewport());
    L10n::setCurrentLanguage("en");
}
