// The dashboard's behaviour in virtual time: the 2-second cadence while shown, one
// collection in flight, silent ticks, the status line, the histories, the event list, the
// return to defaults and the heat-protection alert.
#include <gtest/gtest.h>

#include <QSignalSpy>

#include "base/VirtualDispatch.h"
#include "daemon/DaemonClient.h"
#include "l10n/L10n.h"
#include "platform/fakes/FakeHostStatistics.h"
#include "platform/fakes/FakeProcessTable.h"
#include "power/HeatProtectionAlertCenter.h"
#include "sensors/LocalActivitySampler.h"
#include "support/FakeDaemonTransport.h"
#include "ui/dashboard/DashboardCollector.h"
#include "ui/dashboard/DashboardModel.h"

using namespace vantrel;

namespace {

struct ModelRig {
    VirtualDispatch dispatch;
    std::shared_ptr<test::FakeDaemonTransport> transport = std::make_shared<test::FakeDaemonTransport>();
    DashboardModel model{
        dispatch, std::make_shared<DashboardCollector>(std::make_shared<DaemonClient>(transport), nullptr, nullptr)};
    double temperature = 50;

    ModelRig()
    {
        transport->handle("get_status", [this](const QJsonObject&) {
            return QJsonObject{{"status", "ok"}, {"cpu_temp", temperature}, {"fan0", 2000}, {"fan1", 2100}};
        });
    }
    int statusReads() const { return int(transport->requestsFor("get_status").size()); }
};

} // namespace

TEST(DashboardModel, RefreshesEveryTwoSecondsWhileShownAndStopsWhenHidden)
{
    ModelRig rig;
    rig.model.setShown(true);
    rig.dispatch.runUntilIdle();
    EXPECT_EQ(rig.statusReads(), 1) << "showing refreshes at once";
    ASSERT_TRUE(rig.model.statusKey());
    EXPECT_EQ(*rig.model.statusTone(), StatusTone::Success);
    EXPECT_EQ(rig.transport->requestsFor("get_evidence_events").size(), 1u) << "the shown refresh reads the timeline";

    rig.dispatch.advance(Duration(1999));
    EXPECT_EQ(rig.statusReads(), 1);
    rig.dispatch.advance(Duration(1));
    EXPECT_EQ(rig.statusReads(), 2);
    rig.dispatch.advance(Duration(2000 * 14));
    EXPECT_EQ(rig.statusReads(), 16);
    EXPECT_EQ(rig.transport->requestsFor("get_evidence_events").size(), 2u) << "then every fifteenth tick";

    rig.model.setShown(false);
    rig.dispatch.advance(Duration(10000));
    EXPECT_EQ(rig.statusReads(), 16);
    EXPECT_EQ(rig.dispatch.pendingTimers(), 0);
}

TEST(DashboardModel, OneCollectionInFlightAndSilentTicksKeepTheStatus)
{
    ModelRig rig;
    rig.model.refresh(false);
    rig.model.refresh(false);
    EXPECT_TRUE(rig.model.isRefreshing());
    rig.dispatch.runUntilIdle();
    EXPECT_EQ(rig.statusReads(), 1) << "a refresh while one is in flight does nothing";
    EXPECT_FALSE(rig.model.isRefreshing());

    QSignalSpy statusChanges(&rig.model, &DashboardModel::statusChanged);
    rig.model.refresh(true);
    rig.dispatch.runUntilIdle();
    EXPECT_EQ(statusChanges.count(), 0) << "a silent tick with the daemon still there leaves the status alone";

    // The daemon goes away: the failure shows once, the values stay, the ticks go on.
    rig.transport->handle("get_status", [](const QJsonObject&) { return std::nullopt; });
    rig.model.refresh(true);
    rig.dispatch.runUntilIdle();
    ASSERT_TRUE(rig.model.statusKey());
    EXPECT_EQ(*rig.model.statusKey(), "dashboard.daemon.connection_failed");
    EXPECT_EQ(*rig.model.statusTone(), StatusTone::Failure);
    EXPECT_EQ(rig.model.statusDetailKey().value_or(QString()), "/tmp/vantrel_daemon.sock 응답 없음");
    EXPECT_EQ(rig.model.current().cpuText, "50°C");
    EXPECT_EQ(statusChanges.count(), 1);
    rig.model.refresh(true);
    rig.dispatch.runUntilIdle();
    EXPECT_EQ(statusChanges.count(), 1);

    // Back again: a silent tick replaces the failure.
    rig.transport->handle("get_status", [](const QJsonObject&) { return QJsonObject{{"status", "ok"}}; });
    rig.model.refresh(true);
    rig.dispatch.runUntilIdle();
    EXPECT_EQ(*rig.model.statusTone(), StatusTone::Success);
    EXPECT_FALSE(rig.model.statusDetailKey());
}

TEST(DashboardModel, HistoriesKeepTheLast24Samples)
{
    ModelRig rig;
    for (int i = 0; i < 25; ++i) {
        rig.temperature = 40 + i;
        rig.model.refresh(true);
        rig.dispatch.runUntilIdle();
    }
    ASSERT_EQ(rig.model.cpuHistory().size(), 24u);
    EXPECT_EQ(rig.model.cpuHistory().front(), 41.0);
    EXPECT_EQ(rig.model.cpuHistory().back(), 64.0);
    ASSERT_EQ(rig.model.fanHistory().size(), 24u);
    EXPECT_EQ(rig.model.fanHistory().back(), 2100.0) << "the faster fan is the fan history";
}

TEST(DashboardModel, SafetyResetReportsAndLogsNewestFirstAtMostEight)
{
    ModelRig rig;
    rig.transport->replyOk("reset_to_vanilla");
    rig.model.performSafetyReset();
    EXPECT_EQ(*rig.model.statusKey(), "안전 복귀 요청 중...");
    EXPECT_EQ(*rig.model.statusTone(), StatusTone::Progress);
    EXPECT_TRUE(rig.model.isResetting());
    rig.dispatch.runUntilIdle();
    EXPECT_FALSE(rig.model.isResetting());
    EXPECT_EQ(*rig.model.statusKey(), "안전 복귀 완료. macOS 기본 상태를 다시 읽었습니다.");
    EXPECT_EQ(*rig.model.statusTone(), StatusTone::Success);
    ASSERT_EQ(rig.model.current().events.size(), 1u);
    EXPECT_EQ(rig.model.current().events[0].kind, "SAFETY");
    EXPECT_EQ(rig.model.current().events[0].title, "Reset completed");
    EXPECT_EQ(rig.model.current().events[0].detail, "macOS 기본값 복귀 요청 성공");
    EXPECT_EQ(rig.statusReads(), 1) << "the reset reads the state back at once";
    EXPECT_EQ(*rig.model.statusKey(), "안전 복귀 완료. macOS 기본 상태를 다시 읽었습니다.")
        << "and that read-back keeps the outcome on the status line";

    rig.transport->reply("reset_to_vanilla", QJsonObject{{"status", "error"}});
    for (int i = 0; i < 8; ++i) {
        rig.model.performSafetyReset();
        rig.dispatch.runUntilIdle();
    }
    EXPECT_EQ(*rig.model.statusKey(), "안전 복귀 실패 또는 daemon 미연결입니다.");
    EXPECT_EQ(*rig.model.statusTone(), StatusTone::Failure);
    ASSERT_EQ(rig.model.current().events.size(), 8u) << "the ninth event pushed the first one out";
    for (const auto& e : rig.model.current().events) {
        EXPECT_EQ(e.title, "Reset failed");
        EXPECT_EQ(e.detail, "reset_to_vanilla 응답 실패");
    }
}

TEST(DashboardModel, TheReadBackAfterAResetWaitsForACollectionInFlight)
{
    ModelRig rig;
    rig.transport->replyOk("reset_to_vanilla");
    // A silent tick's collection; other work ahead of it on the utility queue keeps it waiting,
    // so the reset answers while that collection is still in flight.
    rig.dispatch.global(QoS::Utility)->async([] {});
    rig.model.refresh(true);
    rig.model.performSafetyReset();
    rig.dispatch.runUntilIdle();

    EXPECT_FALSE(rig.model.isResetting());
    EXPECT_FALSE(rig.model.isRefreshing());
    EXPECT_EQ(rig.statusReads(), 2) << "the collection in flight, then the reset's own read-back";
    EXPECT_EQ(*rig.model.statusKey(), "안전 복귀 완료. macOS 기본 상태를 다시 읽었습니다.");

    // With nothing in flight the read-back starts at once, and only once.
    rig.model.performSafetyReset();
    rig.dispatch.runUntilIdle();
    EXPECT_EQ(rig.statusReads(), 3);
}

TEST(DashboardModel, EventsSurviveARefreshThatWasInFlight)
{
    ModelRig rig;
    rig.model.refresh(true); // collection queued, not yet applied
    rig.model.pushEvent({QUuid::createUuid(), "SAFETY", "Reset completed", "", DSToken::green});
    rig.dispatch.runUntilIdle();
    EXPECT_EQ(rig.model.current().events.size(), 1u) << "applying a seed taken earlier must not drop the event";
}

TEST(DashboardModel, HeatProtectionAlertOncePerEpisode)
{
    ModelRig rig;
    HeatProtectionAlertCenter center([] { return 35.0; });
    rig.model.setHeatAlertCenter(&center);
    QSignalSpy alerts(&rig.model, &DashboardModel::heatAlert);
    rig.transport->replyOk("get_power_policy_state",
                           {{"heat_protection_active", true}, {"heat_protection_remaining_seconds", 120}});
    for (int i = 0; i < 3; ++i) {
        rig.model.refresh(true);
        rig.dispatch.runUntilIdle();
    }
    ASSERT_EQ(alerts.count(), 1);
    const auto alert = alerts.at(0).at(0).value<HeatProtectionAlertPayload>();
    EXPECT_TRUE(alert.id.startsWith("heat-active-dashboard-"));
    EXPECT_TRUE(alert.message.contains("120"));

    // The daemon stops answering the power policy: no fresh readback, no new alert.
    rig.transport->reply("get_power_policy_state", std::nullopt);
    rig.model.refresh(true);
    rig.dispatch.runUntilIdle();
    EXPECT_EQ(alerts.count(), 1);
}

TEST(DashboardModel, WithoutADaemonEveryTickTakesANewLocalCpuSample)
{
    VirtualDispatch dispatch;
    auto host = std::make_shared<test::FakeHostStatistics>();
    auto processes = std::make_shared<test::FakeProcessTable>();
    host->cpuSamples
        = {CpuLoadTicks{100, 100, 800, 0}, CpuLoadTicks{400, 200, 1400, 0}, CpuLoadTicks{500, 300, 1600, 0}};
    processes->processes = {{1, "init", 1}};
    auto sampler = std::make_shared<LocalActivitySampler>(host, processes, nullptr);
    auto silent = std::make_shared<test::FakeDaemonTransport>();
    DashboardModel model(
        dispatch, std::make_shared<DashboardCollector>(std::make_shared<DaemonClient>(silent), sampler, nullptr));

    model.setShown(true);
    dispatch.runUntilIdle();
    EXPECT_EQ(model.current().activity.processCount, 1);

    processes->processes = {{1, "init", 1}, {7, "vantrel", 9}};
    dispatch.advance(DashboardModel::refreshInterval);
    EXPECT_EQ(model.refreshCount(), 2);
    EXPECT_NEAR(model.current().activity.cpuUserPercent, 30.0, 1e-9) << "the second sample gives the load";
    EXPECT_NEAR(model.current().activity.cpuIdlePercent, 60.0, 1e-9);
    EXPECT_EQ(model.current().activity.processCount, 2);
    EXPECT_EQ(model.current().activity.threadCount, 10);

    processes->processes = {{7, "vantrel", 11}};
    dispatch.advance(DashboardModel::refreshInterval);
    EXPECT_NEAR(model.current().activity.cpuUserPercent, 25.0, 1e-9);
    EXPECT_NEAR(model.current().activity.cpuIdlePercent, 50.0, 1e-9);
    EXPECT_EQ(model.current().activity.threadCount, 11);
    model.setShown(false);
}
