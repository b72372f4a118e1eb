// Every control command leaves the simulated Mac consistent at once, with no step in between
// (the manual clock never moves here unless a test steps it): the power-source description,
// the battery registry, the pmset text, the snapshot, the key store and the policy state all
// tell the same story.
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "SimTestSupport.h"
#include "base/AtomicFile.h"
#include "base/JsonAccess.h"
#include "smc/SmcKeyFile.h"

using namespace vantrel;
using namespace vantrel::sim;
using test::call;
using test::statusOf;
using test::step;

namespace {

struct Views {
    QJsonObject source; // get_power_source_info "power_source"
    QJsonObject registry; // get_power_source_info "battery_registry"
    QString pmset; // hardware.json "pmset_batt"
    QJsonObject fileSource;
    QString activity; // get_system_snapshot battery_activity state
    QString policyState; // get_power_policy_state power_only_state
    bool policyCharging = false;
    double adapterAmps = -1; // ACID in smc-keys.txt
};

Views look(SimDaemon& daemon)
{
    Views v;
    const QJsonObject info = call(daemon, "get_power_source_info");
    v.source = info["power_source"].toObject();
    v.registry = info["battery_registry"].toObject();
    const QJsonObject hardware
        = json::parseObject(readFile(daemon.hardwarePath()).value_or(QByteArray())).value_or(QJsonObject());
    v.pmset = hardware["pmset_batt"].toString();
    v.fileSource = hardware["power_source"].toObject();
    v.activity = call(daemon, "get_system_snapshot")["battery_activity"].toObject()["state"].toString();
    const QJsonObject policy = call(daemon, "get_power_policy_state");
    v.policyState = policy["power_only_state"].toString();
    v.policyCharging = policy["is_charging"].toBool();
    const auto keys = smc::SmcKeyFile::parse(readFile(daemon.smcKeysPath()).value_or(QByteArray()).toStdString());
    if (const auto* acid = keys.find("ACID"))
        v.adapterAmps = acid->value().value_or(-1);
    return v;
}

QJsonObject batteryConfig(bool limitEnabled, int limit)
{
    return {{"enabled", limitEnabled},   {"limit", limit},
            {"charge_protector", false}, {"drop", 5},
            {"heat_protect", false},     {"max_temp", 40.0},
            {"safety_drain", false},     {"safety_drain_target_mode", "charge_limit"}};
}

} // namespace

TEST(SimConsistency, UnpluggingAndPluggingShowAtOnceEverywhere)
{
    test::TempDir dir;
    SimDaemon daemon(test::simConfig(dir));
    test::step(daemon, 5);
    Views v = look(daemon);
    ASSERT_TRUE(v.source["Is Charging"].toBool()) << "72 % on the adapter charges";

    ASSERT_EQ(statusOf(call(daemon, "sim_adapter", {{"connected", false}})), "ok");
    v = look(daemon);
    EXPECT_EQ(v.source["Power Source State"], "Battery Power");
    EXPECT_FALSE(v.source["Is Charging"].toBool());
    EXPECT_LT(v.source["Current"].toInt(), 0) << "the battery runs the Mac";
    EXPECT_TRUE(v.source.contains("Time to Empty"));
    EXPECT_FALSE(v.source.contains("Time to Full Charge"));
    EXPECT_EQ(v.fileSource, v.source) << "hardware.json says the same";
    EXPECT_FALSE(v.registry["ExternalConnected"].toBool());
    EXPECT_FALSE(v.registry["IsCharging"].toBool());
    EXPECT_LT(v.registry["InstantAmperage"].toInt(), 0);
    EXPECT_TRUE(v.pmset.contains("'Battery Power'")) << v.pmset.toStdString();
    EXPECT_TRUE(v.pmset.contains("discharging")) << v.pmset.toStdString();
    EXPECT_EQ(v.activity, "discharging");
    EXPECT_FALSE(v.policyCharging);
    EXPECT_EQ(v.adapterAmps, 0) << "no current from an unplugged adapter";

    ASSERT_EQ(statusOf(call(daemon, "sim_adapter", {{"connected", true}})), "ok");
    v = look(daemon);
    EXPECT_EQ(v.source["Power Source State"], "AC Power");
    EXPECT_TRUE(v.source["Is Charging"].toBool());
    EXPECT_GT(v.source["Current"].toInt(), 0);
    EXPECT_TRUE(v.source.contains("Time to Full Charge"));
    EXPECT_TRUE(v.registry["IsCharging"].toBool());
    EXPECT_TRUE(v.pmset.contains("'AC Power'")) << v.pmset.toStdString();
    EXPECT_TRUE(v.pmset.contains("charging;")) << v.pmset.toStdString();
    EXPECT_EQ(v.activity, "charging");
    EXPECT_TRUE(v.policyCharging);
    EXPECT_GT(v.adapterAmps, 0);

    // More load on the battery draws more current at once.
    call(daemon, "sim_adapter", {{"connected", false}});
    const int idle = look(daemon).source["Current"].toInt();
    call(daemon, "sim_load", {{"cpu_percent", 100}, {"gpu_percent", 100}});
    EXPECT_LT(look(daemon).source["Current"].toInt(), idle - 1000);
}

TEST(SimConsistency, FullOnTheAdapterSaysCharged)
{
    test::TempDir dir;
    SimDaemon daemon(test::simConfig(dir));

    // Shown as 100 % on the adapter: charged, whether the charger tops up the last fraction or
    // a limit of 100 stops it.
    for (const bool limitAt100 : {false, true}) {
        SCOPED_TRACE(limitAt100 ? "limit 100" : "no limit");
        ASSERT_EQ(statusOf(call(daemon, "set_battery_config", batteryConfig(limitAt100, 100))), "ok");
        ASSERT_EQ(statusOf(call(daemon, "sim_battery", {{"percent", 99.6}})), "ok");
        for (int round = 0; round < 2; ++round) {
            const Views v = look(daemon);
            ASSERT_TRUE(v.pmset.contains("\t100%;")) << v.pmset.toStdString();
            EXPECT_TRUE(v.pmset.contains("100%; charged;")) << v.pmset.toStdString();
            EXPECT_TRUE(v.source["Is Charged"].toBool());
            EXPECT_FALSE(v.source["Is Charging"].toBool());
            EXPECT_TRUE(v.registry["FullyCharged"].toBool());
            EXPECT_EQ(v.activity, "full");
            test::step(daemon, 120);
        }
    }

    // Off the adapter a full battery is discharging, not charged.
    call(daemon, "sim_adapter", {{"connected", false}});
    const Views v = look(daemon);
    EXPECT_FALSE(v.source["Is Charged"].toBool());
    EXPECT_TRUE(v.pmset.contains("discharging")) << v.pmset.toStdString();
}

TEST(SimConsistency, ALimitBelowTheLevelIsNotReportedAsAtTarget)
{
    test::TempDir dir;
    SimDaemon daemon(test::simConfig(dir));
    ASSERT_EQ(statusOf(call(daemon, "sim_battery", {{"percent", 92}})), "ok");
    ASSERT_EQ(statusOf(call(daemon, "set_battery_config", batteryConfig(true, 80))), "ok");

    Views v = look(daemon);
    EXPECT_NE(v.policyState, "power_only_at_target") << "12 points above the limit";
    EXPECT_EQ(v.policyState, "power_only_hold_until_drop_floor");
    EXPECT_FALSE(v.source["Is Charging"].toBool()) << "no charging above the limit";
    EXPECT_TRUE(v.pmset.contains("92%; AC attached; not charging")) << v.pmset.toStdString();
    test::step(daemon, 60);
    EXPECT_EQ(look(daemon).policyState, "power_only_hold_until_drop_floor");

    // At the limit it holds the target; below it, it charges toward it.
    call(daemon, "sim_battery", {{"percent", 80}});
    EXPECT_EQ(look(daemon).policyState, "power_only_at_target");
    call(daemon, "sim_battery", {{"percent", 70}});
    v = look(daemon);
    EXPECT_EQ(v.policyState, "charging_to_target");
    EXPECT_TRUE(v.source["Is Charging"].toBool()) << "the change of level shows at once";
}

TEST(SimConsistency, AssertionsOfAProcessThatEndedAreReleasedLikeTheSystemDoes)
{
    test::TempDir dir;
    SimDaemon daemon{test::simConfig(dir)};
    const auto create = [&](long long pid) {
        QJsonObject request{{"cmd", "sim_platform"},
                            {"action", "create_assertion"},
                            {"type", "PreventSystemSleep"},
                            {"name", "Vantrel Keep-Alive"}};
        return daemon.handle(request, pid);
    };
    const auto held = [&] {
        return json::object(call(daemon, "sim_state"), "hardware")
            ->value("platform")
            .toObject()
            .value("assertions")
            .toArray()
            .size();
    };

    // A process that has ended (and been reaped) owned one assertion; this process owns the
    // other; the third came from a client the socket could not name.
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ASSERT_GT(child, 0);
    ASSERT_EQ(::waitpid(child, nullptr, 0), child);
    ASSERT_EQ(statusOf(create(::getpid())), "ok");
    ASSERT_EQ(statusOf(create(0)), "ok");
    ASSERT_EQ(statusOf(create(child)), "ok");
    EXPECT_EQ(held(), 2) << "the next request found the ended owner's assertion and released it";
    step(daemon, 1);
    EXPECT_EQ(held(), 2) << "the living owner's and the unnamed client's stay";
}
