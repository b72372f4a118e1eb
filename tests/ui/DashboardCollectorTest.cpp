// Dashboard collection against a recording daemon: the order of the read-backs, what each
// missing or mistyped reply leaves in place, the local fallbacks and the policy in charge.
#include <gtest/gtest.h>

#include <QJsonArray>

#include "daemon/DaemonClient.h"
#include "platform/fakes/FakeHostStatistics.h"
#include "platform/fakes/FakeProcessTable.h"
#include "platform/fakes/FakeSystemProfiler.h"
#include "sensors/LocalActivitySampler.h"
#include "support/FakeDaemonTransport.h"
#include "ui/dashboard/DashboardCollector.h"

using namespace vantrel;

namespace {

QJsonObject snapshotReply()
{
    return QJsonObject{
        {"status", "ok"},
        {"cpu",
         QJsonObject{{"system_percent", 12.5},
                     {"user_percent", "20"},
                     {"idle_percent", 67.5},
                     {"process_count", 412},
                     {"thread_count", 2048}}},
        {"memory",
         QJsonObject{{"level", "medium"},
                     {"used_bytes", 12.0 * (1 << 30)},
                     {"total_bytes", 16.0 * (1 << 30)},
                     {"app_memory_bytes", 6.0 * (1 << 30)},
                     {"wired_bytes", 2.0 * (1 << 30)},
                     {"compressed_bytes", 512.0 * (1 << 20)},
                     {"cached_files_bytes", 3.0 * (1 << 30)},
                     {"swap_used_bytes", 0}}},
        {"battery_activity", QJsonObject{{"state", "charging"}, {"power_source", "AC Power"}}},
        {"ssd", QJsonObject{{"temperature_celsius", 48.4}}},
    };
}

struct Rig {
    std::shared_ptr<test::FakeDaemonTransport> transport = std::make_shared<test::FakeDaemonTransport>();
    std::shared_ptr<test::FakeHostStatistics> host = std::make_shared<test::FakeHostStatistics>();
    std::shared_ptr<test::FakeProcessTable> processes = std::make_shared<test::FakeProcessTable>();
    std::shared_ptr<test::FakeSystemProfiler> profiler = std::make_shared<test::FakeSystemProfiler>();
    int batteryReads = 0;
    std::shared_ptr<LocalActivitySampler> sampler = std::make_shared<LocalActivitySampler>(host, processes, [this] {
        ++batteryReads;
        return LocalBatteryActivity{QStringLiteral("Battery Power"),
                                    QStringLiteral("dashboard.battery_activity.on_battery")};
    });
    DashboardCollector collector{std::make_shared<DaemonClient>(transport), sampler, profiler};

    void answerEverything()
    {
        transport->reply("get_status", QJsonObject{{"status", "ok"}, {"cpu_temp", 51}, {"fan0", 2400}, {"fan1", 2380}});
        transport->reply("get_hardware_profile",
                         QJsonObject{{"status", "ok"},
                                     {"model_identifier", "Mac15,6"},
                                     {"fan_count", 2},
                                     {"has_battery", true},
                                     {"supports_smc_fan_control", true}});
        transport->reply("get_system_snapshot", snapshotReply());
        transport->reply("get_power_policy_state",
                         QJsonObject{{"status", "ok"},
                                     {"battery_percent", 78},
                                     {"battery_present", true},
                                     {"target_charge_limit", 80},
                                     {"power_only_state", "charging_to_target"},
                                     {"charge_limit_enabled", true},
                                     {"charge_protector_enabled", false},
                                     {"fan_policy_enabled", false},
                                     {"fan_preset_name", "curve_silent"}});
    }
    DashboardRefreshResult collect(const DashboardRefreshSeed& seed = {})
    {
        return collector.collect(seed, QStringLiteral("macOS default"), QDateTime(QDate(2026, 3, 1), QTime(9, 30, 5)));
    }
};

} // namespace

TEST(DashboardCollector, ReadsTheFourReadBacksInOrderAndMapsEveryField)
{
    Rig rig;
    rig.answerEverything();
    rig.profiler->overview = HardwareOverview{"MacBook Pro", "Mac15,6", "MacBook Pro (14-inch, Nov 2023)"};
    const DashboardRefreshResult r = rig.collect();

    QStringList order;
    for (const auto& request : rig.transport->requests())
        order << request.value("cmd").toString();
    EXPECT_EQ(order,
              QStringList({"get_status", "get_hardware_profile", "get_system_snapshot", "get_power_policy_state"}));

    EXPECT_TRUE(r.daemonReachable);
    EXPECT_EQ(r.daemonStatus, "ok");
    EXPECT_EQ(r.watchdogStatus, "unknown");
    EXPECT_EQ(r.cpuValue, 51.0);
    EXPECT_EQ(r.cpuText, "51°C");
    EXPECT_EQ(r.fan0RPM, 2400);
    EXPECT_EQ(r.fan1RPM, 2380);
    EXPECT_EQ(r.hardwareModel, "Mac15,6");
    EXPECT_EQ(r.hardwareMarketingName, "MacBook Pro (14-inch, Nov 2023)");
    EXPECT_EQ(r.fanCount, 2);
    EXPECT_TRUE(r.hasBattery);
    EXPECT_TRUE(r.supportsFan);
    EXPECT_DOUBLE_EQ(r.activity.cpuSystemPercent, 12.5);
    EXPECT_DOUBLE_EQ(r.activity.cpuUserPercent, 20.0) << "numeric strings are read leniently";
    EXPECT_EQ(r.activity.processCount, 412);
    EXPECT_EQ(r.activity.threadCount, 2048);
    EXPECT_EQ(r.activity.memoryLevel, "medium");
    EXPECT_EQ(r.activity.memoryUsedGB, "12 / 16 GB");
    EXPECT_EQ(r.activity.appMemoryText, "6.0GB");
    EXPECT_EQ(r.activity.compressedMemoryText, "512MB");
    EXPECT_EQ(r.activity.swapUsedText, "0MB");
    EXPECT_EQ(r.activity.batteryActivityState, "charging");
    EXPECT_EQ(r.activity.batteryPowerSource, "AC Power");
    EXPECT_EQ(r.ssdTempText, "48°C");
    EXPECT_EQ(r.batteryPercent, 78);
    EXPECT_EQ(r.batteryTarget, 80);
    EXPECT_EQ(r.batteryDrop, 75);
    EXPECT_EQ(r.powerState, "charging_to_target");
    EXPECT_EQ(r.fanPresetName, "curve_silent");
    EXPECT_EQ(r.currentDriver, "Power Policy");
    EXPECT_EQ(r.lastUpdated.size(), 8);
    ASSERT_TRUE(r.powerReadback);
    EXPECT_EQ(r.powerReadback->value("battery_percent").toInt(), 78);
    // The daemon supplied everything: no local reading was needed.
    EXPECT_EQ(rig.batteryReads, 0);
}

TEST(DashboardCollector, AnUnreachableDaemonKeepsTheSeedAndFallsBackLocally)
{
    Rig rig;
    rig.answerEverything();
    const DashboardRefreshResult first = rig.collect();

    // The daemon goes silent: every read-back is absent.
    auto silent = std::make_shared<test::FakeDaemonTransport>();
    rig.host->cpuSamples = {CpuLoadTicks{1000, 500, 8000, 0}};
    rig.processes->processes = {{1, "init", 1}, {2, "kthreadd", 3}};
    DashboardCollector offline(std::make_shared<DaemonClient>(silent), rig.sampler, rig.profiler);
    DashboardRefreshSeed seed(first);
    const DashboardRefreshResult r
        = offline.collect(seed, QStringLiteral("macOS default"), QDateTime(QDate(2026, 3, 1), QTime(9, 30, 7)));

    EXPECT_FALSE(r.daemonReachable);
    EXPECT_EQ(r.daemonStatus, "error");
    EXPECT_EQ(r.cpuText, "51°C");
    EXPECT_EQ(r.fan0RPM, 2400);
    EXPECT_EQ(r.hardwareModel, "Mac15,6");
    EXPECT_EQ(r.activity.memoryUsedGB, "12 / 16 GB");
    EXPECT_EQ(r.batteryPercent, 78);
    EXPECT_FALSE(r.powerReadback) << "no fresh readback, so no alert may be derived from it";
    EXPECT_EQ(r.currentDriver, "Power Policy") << "the seed's flags still decide";
}

TEST(DashboardCollector, MissingAndMistypedReplyParts)
{
    Rig rig;
    rig.answerEverything();
    const DashboardRefreshResult first = rig.collect();

    // A snapshot without "memory" and with an all-idle CPU, a profile with a numeric flag,
    // a status whose temperature is a string.
    QJsonObject snapshot = snapshotReply();
    snapshot.remove("memory");
    snapshot["cpu"] = QJsonObject{{"system_percent", 0},
                                  {"user_percent", 0},
                                  {"idle_percent", 100},
                                  {"process_count", 400},
                                  {"thread_count", 2000}};
    snapshot.remove("battery_activity");
    rig.transport->reply("get_system_snapshot", snapshot);
    rig.transport->reply("get_hardware_profile", QJsonObject{{"status", "ok"}, {"has_battery", 1}, {"fan_count", "2"}});
    rig.transport->reply("get_status", QJsonObject{{"status", "ok"}, {"cpu_temp", "60"}, {"fan0", 2500}});
    rig.host->cpuSamples = {CpuLoadTicks{100, 100, 800, 0}, CpuLoadTicks{400, 200, 1400, 0}};
    rig.processes->processes = {{1, "init", 1}, {7, "vantrel", 9}};

    DashboardRefreshSeed seed(first);
    DashboardRefreshResult r = rig.collect(seed);
    EXPECT_EQ(r.activity.memoryUsedGB, "12 / 16 GB") << "no memory object: previous figures stay";
    EXPECT_EQ(r.activity.memoryLevel, "medium");
    EXPECT_TRUE(r.hasBattery) << "a numeric flag is not a boolean; the previous value stays";
    EXPECT_EQ(r.fanCount, 2);
    EXPECT_EQ(r.cpuText, "51°C") << "a string temperature is no temperature";
    EXPECT_EQ(r.fan0RPM, 2500);
    EXPECT_EQ(r.activity.batteryActivityState, "charging") << "absent battery activity keeps the previous one";
    // 0 % system, 0 % user, 100 % idle counts as no reading: the local sampler took over.
    EXPECT_EQ(r.activity.processCount, 2);
    EXPECT_EQ(r.activity.threadCount, 10);
    ASSERT_TRUE(r.activity.previousCPULoad);

    // The next refresh has a previous sample, so the local load comes out of the delta.
    r = rig.collect(DashboardRefreshSeed(r));
    EXPECT_NEAR(r.activity.cpuUserPercent, 300.0 / 1000 * 100, 1e-9);
    EXPECT_NEAR(r.activity.cpuSystemPercent, 100.0 / 1000 * 100, 1e-9);
    EXPECT_NEAR(r.activity.cpuIdlePercent, 600.0 / 1000 * 100, 1e-9);
}

TEST(DashboardCollector, LocalFallbacksWhenTheDaemonNeverAnswered)
{
    Rig rig;
    // Free, active, inactive, wired, speculative and compressor pages.
    rig.host->pages = VmPageCounts{100000, 200000, 50000, 50000, 0, 10000};
    rig.host->swap = SwapUsage{1 << 30, 1 << 29, 1 << 29};
    rig.host->cpuSamples = {CpuLoadTicks{1, 1, 1, 0}};
    rig.processes->processes = {{1, "init", 2}};
    rig.profiler->overview.reset();

    const DashboardRefreshResult r = rig.collect(DashboardRefreshSeed({}, false, 44.6));
    EXPECT_FALSE(r.daemonReachable);
    EXPECT_NE(r.activity.memoryUsedGB, "-");
    EXPECT_NE(r.activity.memoryLevel, "unknown");
    EXPECT_EQ(r.activity.swapUsedText, "512MB");
    EXPECT_EQ(r.activity.batteryPowerSource, "Battery Power");
    EXPECT_EQ(rig.batteryReads, 1);
    EXPECT_EQ(r.activity.processCount, 1);
    EXPECT_EQ(r.ssdTempText, "45°C") << "the SMC's SSD reading stands in for the snapshot's";
    EXPECT_EQ(r.hardwareMarketingName, "") << "no profiler and no identifier: nothing to name";
    EXPECT_EQ(r.currentDriver, "macOS default");
}

TEST(DashboardCollector, LocalCpuLoadKeepsSamplingWithoutTheDaemonOrItsCpuFigures)
{
    // No daemon: each collection takes a new local sample, and from the second one on the
    // load is the difference to the one before; the counts follow the process table.
    Rig rig;
    rig.host->cpuSamples
        = {CpuLoadTicks{100, 100, 800, 0}, CpuLoadTicks{400, 200, 1400, 0}, CpuLoadTicks{400, 1200, 1400, 0}};
    rig.processes->processes = {{1, "init", 1}};
    // 16 KiB pages: 2 GiB app and 1 GiB wired memory of 16 GiB.
    rig.host->pages = VmPageCounts{/*free*/ 851968, /*active*/ 131072, 0, /*wire*/ 65536, 0, 0};
    DashboardRefreshResult r = rig.collect();
    EXPECT_EQ(r.activity.processCount, 1);
    EXPECT_EQ(r.activity.memoryUsedGB, "3 / 16 GB");
    ASSERT_TRUE(r.activity.previousCPULoad);

    rig.processes->processes = {{1, "init", 1}, {7, "vantrel", 9}};
    rig.host->pages = VmPageCounts{/*free*/ 720896, /*active*/ 262144, 0, /*wire*/ 65536, 0, 0};
    r = rig.collect(DashboardRefreshSeed(r));
    EXPECT_NEAR(r.activity.cpuUserPercent, 30.0, 1e-9);
    EXPECT_NEAR(r.activity.cpuSystemPercent, 10.0, 1e-9);
    EXPECT_NEAR(r.activity.cpuIdlePercent, 60.0, 1e-9);
    EXPECT_EQ(r.activity.processCount, 2);
    EXPECT_EQ(r.activity.threadCount, 10);
    EXPECT_EQ(r.activity.memoryUsedGB, "5 / 16 GB") << "local memory figures follow the machine too";
    EXPECT_EQ(rig.batteryReads, 2) << "and so does the local battery activity";

    rig.processes->processes = {{7, "vantrel", 12}};
    r = rig.collect(DashboardRefreshSeed(r));
    EXPECT_NEAR(r.activity.cpuSystemPercent, 100.0, 1e-9) << "the third sample is a new delta, not the second one kept";
    EXPECT_EQ(r.activity.processCount, 1);
    EXPECT_EQ(r.activity.threadCount, 12);

    // A daemon whose snapshot has no "cpu": the same local sampling on every collection.
    Rig partial;
    partial.answerEverything();
    QJsonObject snapshot = snapshotReply();
    snapshot.remove("cpu");
    partial.transport->reply("get_system_snapshot", snapshot);
    partial.host->cpuSamples = {CpuLoadTicks{0, 0, 0, 0}, CpuLoadTicks{50, 50, 900, 0}, CpuLoadTicks{550, 50, 1400, 0}};
    partial.processes->processes = {{1, "init", 3}};
    r = partial.collect();
    r = partial.collect(DashboardRefreshSeed(r));
    EXPECT_NEAR(r.activity.cpuUserPercent, 5.0, 1e-9);
    EXPECT_EQ(r.activity.threadCount, 3);
    partial.processes->processes = {{1, "init", 3}, {2, "kthreadd", 1}};
    r = partial.collect(DashboardRefreshSeed(r));
    EXPECT_NEAR(r.activity.cpuUserPercent, 50.0, 1e-9);
    EXPECT_EQ(r.activity.processCount, 2);
    EXPECT_EQ(r.activity.memoryUsedGB, "12 / 16 GB") << "the daemon's memory figures are still its own";

    // Once the daemon reports the CPU again its figures win over the local ones.
    partial.transport->reply("get_system_snapshot", snapshotReply());
    r = partial.collect(DashboardRefreshSeed(r));
    EXPECT_DOUBLE_EQ(r.activity.cpuSystemPercent, 12.5);
    EXPECT_EQ(r.activity.processCount, 412);

    // The daemon goes away after having reported its CPU figures: the machine's own take over.
    partial.transport->reply("get_system_snapshot", std::nullopt);
    partial.host->cpuSamples = {CpuLoadTicks{1000, 1000, 8000, 0}, CpuLoadTicks{1100, 1100, 8800, 0}};
    r = partial.collect(DashboardRefreshSeed(r));
    EXPECT_EQ(r.activity.processCount, 2) << "counted here from the first refresh without a snapshot";
    EXPECT_EQ(r.activity.memoryUsedGB, "12 / 16 GB") << "the daemon's last memory figures stay";
    r = partial.collect(DashboardRefreshSeed(r));
    EXPECT_NEAR(r.activity.cpuUserPercent, 10.0, 1e-9);
    EXPECT_NEAR(r.activity.cpuIdlePercent, 80.0, 1e-9);
}

TEST(DashboardCollector, PolicyInCharge)
{
    Rig rig;
    rig.answerEverything();
    auto policy = [&](QJsonObject flags, bool appSleep) {
        flags.insert("status", "ok");
        rig.transport->reply("get_power_policy_state", flags);
        return rig.collect(DashboardRefreshSeed({}, appSleep)).currentDriver;
    };
    EXPECT_EQ(policy({{"fan_policy_enabled", true}, {"charge_limit_enabled", true}}, false), "Fan Policy");
    EXPECT_EQ(policy({{"charge_protector_enabled", true}, {"system_sleep_disabled_by_vantrel", true}}, false),
              "Power Policy");
    EXPECT_EQ(policy({{"system_sleep_disabled_by_vantrel", true}}, false), "Sleep Policy");
    EXPECT_EQ(policy({}, true), "Sleep Policy") << "the application's own sleep flag counts too";
    EXPECT_EQ(policy({{"fan_policy_enabled", "yes"}}, false), "macOS default");
}

TEST(DashboardCollector, TimelineAndReset)
{
    Rig rig;
    EXPECT_FALSE(rig.collector.readTimeline()) << "no reply: the timeline is still waiting";
    EXPECT_FALSE(rig.collector.resetToVanilla());

    rig.transport->replyOk(
        "get_evidence_events",
        {{"events",
          QJsonArray{QJsonObject{{"policy_id", "battery.charge_limit"},
                                 {"action", "set_battery_config"},
                                 {"summary", "Charge limit applied"},
                                 {"trigger", "user"},
                                 {"result_state", "ok"},
                                 {"created_at", "2026-03-01 09:12:44"}},
                     "not an event", QJsonObject{{"action", "reset_to_vanilla"}, {"created_at", "bad"}}}}});
    const auto timeline = rig.collector.readTimeline();
    ASSERT_TRUE(timeline);
    ASSERT_EQ(timeline->size(), 2u);
    EXPECT_EQ((*timeline)[0].time, "09:12:44");
    EXPECT_EQ((*timeline)[0].category, "power");
    EXPECT_EQ((*timeline)[0].color, DSToken::green);
    EXPECT_EQ((*timeline)[1].time, "--:--:--");
    const auto request = rig.transport->requestsFor("get_evidence_events").front();
    EXPECT_EQ(request.value("limit").toInt(), DashboardCollector::timelineLimit);

    rig.transport->replyOk("reset_to_vanilla");
    EXPECT_TRUE(rig.collector.resetToVanilla());
    rig.transport->reply("reset_to_vanilla", QJsonObject{{"status", "OK"}});
    EXPECT_FALSE(rig.collector.resetToVanilla()) << "only the exact \"ok\" is success";
}
