#pragma once
// The daemon protocol as the application relies on it, checked over a real socket against
// any daemon: a test file instantiates the suite with a factory that starts its daemon behind
// the shared server (vantrel-sim's simulated Mac, vantrel-node on a fake machine).
//
//   struct MyFactory { static std::unique_ptr<test::DaemonUnderTest> make(); };
//   INSTANTIATE_TYPED_TEST_SUITE_P(My, DaemonConformance, MyFactory);
#include <cmath>
#include <memory>

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include "base/JsonAccess.h"
#include "daemonserver/RawExchange.h"

namespace vantrel::test {

// A daemon serving on socketPath() for the length of one test; the test process itself may
// change the machine (it runs as the daemon's own user).
class DaemonUnderTest {
public:
    virtual ~DaemonUnderTest() = default;
    virtual QString socketPath() const = 0;
    // Whether this machine has a battery (and so takes battery commands).
    virtual bool hasBattery() const = 0;

    QJsonObject raw(const QByteArray& bytes) const
    {
        return json::parseObject(daemonserver::rawExchange(socketPath(), bytes).bytes).value_or(QJsonObject());
    }
    QJsonObject call(const QString& cmd, QJsonObject args = {}) const
    {
        args.insert(QStringLiteral("cmd"), cmd);
        return raw(json::compact(args));
    }
};

enum class Kind {
    String,
    Integer,
    Double,
    Bool,
    Object,
    Array
};

inline void expectKinds(const QJsonObject& reply, std::initializer_list<std::pair<const char*, Kind>> keys)
{
    for (const auto& [key, kind] : keys) {
        SCOPED_TRACE(key);
        ASSERT_TRUE(reply.contains(QLatin1String(key))) << QJsonDocument(reply).toJson().constData();
        const QJsonValue v = reply.value(QLatin1String(key));
        switch (kind) {
        case Kind::String:
            EXPECT_TRUE(v.isString());
            break;
        case Kind::Integer:
            EXPECT_TRUE(v.isDouble() && v.toDouble() == std::floor(v.toDouble()));
            break;
        case Kind::Double:
            EXPECT_TRUE(v.isDouble());
            break;
        case Kind::Bool:
            EXPECT_TRUE(v.isBool());
            break;
        case Kind::Object:
            EXPECT_TRUE(v.isObject());
            break;
        case Kind::Array:
            EXPECT_TRUE(v.isArray());
            break;
        }
    }
}

inline QString statusText(const QJsonObject& reply) { return reply.value(QStringLiteral("status")).toString(); }

inline QJsonObject conformanceBatteryConfig(int limit = 80)
{
    return {{"enabled", true},          {"limit", limit},
            {"charge_protector", true}, {"drop", 5},
            {"heat_protect", true},     {"max_temp", 35.4},
            {"safety_drain", false},    {"safety_drain_target_mode", "charge_limit"}};
}

// An "export_diagnostic_bundle" request the user confirmed, to review and send by hand.
inline QJsonObject conformanceExportRequest()
{
    return {{"range", "last_24h"},
            {"purpose", "support"},
            {"include_report_context", true},
            {"include_process_names", false},
            {"user_confirmed", true},
            {"user_review_required", true},
            {"upload_mode", "manual_user_send"},
            {"reason_code", "fan_noise"},
            {"support_case_id", "CASE-1234"}};
}

template <typename Factory> class DaemonConformance : public ::testing::Test {
protected:
    std::unique_ptr<DaemonUnderTest> daemon = Factory::make();
};

TYPED_TEST_SUITE_P(DaemonConformance);

TYPED_TEST_P(DaemonConformance, ReadBacksCarryEveryKeyTheApplicationReads)
{
    const DaemonUnderTest& d = *this->daemon;
    const auto status = d.call("get_status");
    EXPECT_EQ(statusText(status), "ok");
    expectKinds(status, {{"cpu_temp", Kind::Double}, {"fan0", Kind::Integer}});
    if (d.hasBattery())
        expectKinds(status, {{"battery_percent", Kind::Integer}});

    const auto snapshot = d.call("get_system_snapshot");
    EXPECT_EQ(statusText(snapshot), "ok");
    expectKinds(snapshot["cpu"].toObject(),
                {{"system_percent", Kind::Double},
                 {"user_percent", Kind::Double},
                 {"idle_percent", Kind::Double},
                 {"process_count", Kind::Integer},
                 {"thread_count", Kind::Integer}});
    expectKinds(snapshot["memory"].toObject(),
                {{"level", Kind::String},
                 {"used_bytes", Kind::Double},
                 {"total_bytes", Kind::Double},
                 {"app_memory_bytes", Kind::Double},
                 {"wired_bytes", Kind::Double},
                 {"compressed_bytes", Kind::Double},
                 {"cached_files_bytes", Kind::Double},
                 {"swap_used_bytes", Kind::Double}});
    expectKinds(snapshot["battery_activity"].toObject(), {{"state", Kind::String}, {"power_source", Kind::String}});
    expectKinds(snapshot["ssd"].toObject(), {{"temperature_celsius", Kind::Double}});

    const auto policy = d.call("get_power_policy_state");
    EXPECT_EQ(statusText(policy), "ok");
    expectKinds(policy,
                {{"battery_present", Kind::Bool},
                 {"target_charge_limit", Kind::Integer},
                 {"power_only_state", Kind::String},
                 {"charge_limit_enabled", Kind::Bool},
                 {"charge_protector_enabled", Kind::Bool},
                 {"safety_drain_enabled", Kind::Bool},
                 {"heat_protection_enabled", Kind::Bool},
                 {"one_time_full_charge_active", Kind::Bool},
                 {"system_sleep_disabled_by_vantrel", Kind::Bool},
                 {"fan_policy_enabled", Kind::Bool},
                 {"fan_preset_name", Kind::String},
                 {"safety_drain_active", Kind::Bool},
                 {"safety_drain_target_mode", Kind::String},
                 {"heat_protection_active", Kind::Bool},
                 {"max_battery_temp", Kind::Double},
                 {"app_lease_active", Kind::Bool},
                 {"hardware_fallback_active", Kind::Bool},
                 {"low_battery_vanilla_active", Kind::Bool},
                 {"external_power_connected", Kind::Bool}});
    EXPECT_EQ(policy["battery_present"].toBool(), d.hasBattery());
    if (d.hasBattery())
        expectKinds(policy, {{"battery_percent", Kind::Integer}});

    const auto profile = d.call("get_hardware_profile");
    EXPECT_EQ(statusText(profile), "ok");
    expectKinds(profile,
                {{"model_identifier", Kind::String},
                 {"architecture", Kind::String},
                 {"fan_count", Kind::Integer},
                 {"has_battery", Kind::Bool},
                 {"supports_clamshell", Kind::Bool},
                 {"supports_smc_fan_control", Kind::Bool},
                 {"supports_safe_fan_control", Kind::Bool},
                 {"supports_battery_smc_control", Kind::Bool},
                 {"desktop_class", Kind::Bool}});
    EXPECT_EQ(profile["has_battery"].toBool(), d.hasBattery());
    EXPECT_GE(profile["fan_count"].toInt(), 1);

    expectKinds(d.call("get_user_settings_state"), {{"exists", Kind::Bool}});
    const auto ownership = d.call("get_runtime_ownership");
    expectKinds(ownership, {{"channel", Kind::String}, {"transition_fenced", Kind::Bool}});
    EXPECT_EQ(ownership["channel"].toString(), "production");
    EXPECT_FALSE(ownership["transition_fenced"].toBool());
}

TYPED_TEST_P(DaemonConformance, HeartbeatHoldsTheLease)
{
    const DaemonUnderTest& d = *this->daemon;
    EXPECT_EQ(statusText(d.call("app_heartbeat")), "ok");
    EXPECT_TRUE(d.call("get_power_policy_state")["app_lease_active"].toBool());
}

TYPED_TEST_P(DaemonConformance, SleepCommandReportsRequestedAndEffectiveState)
{
    const DaemonUnderTest& d = *this->daemon;
    auto reply = d.call("set_system_sleep_disabled",
                        {{"enabled", true}, {"battery_cutoff_percent", 20}, {"persist_user_intent", false}});
    EXPECT_EQ(statusText(reply), "ok");
    expectKinds(reply,
                {{"requested_enabled", Kind::Bool},
                 {"effective_enabled", Kind::Bool},
                 {"low_battery_vanilla_active", Kind::Bool}});
    EXPECT_TRUE(reply["requested_enabled"].toBool());
    EXPECT_EQ(d.call("get_power_policy_state")["system_sleep_disabled_by_vantrel"].toBool(),
              reply["effective_enabled"].toBool());
    reply = d.call("set_system_sleep_disabled", {{"enabled", false}, {"persist_user_intent", false}});
    EXPECT_EQ(statusText(reply), "ok");
    EXPECT_FALSE(reply["effective_enabled"].toBool());
    EXPECT_FALSE(d.call("get_power_policy_state")["system_sleep_disabled_by_vantrel"].toBool());

    EXPECT_EQ(statusText(d.call("set_system_sleep_disabled", {{"enabled", "yes"}})), "error");
    EXPECT_EQ(
        d.call("set_system_sleep_disabled", {{"enabled", true}, {"battery_cutoff_percent", 2}})["code"].toString(),
        "ERR_INVALID_ARGUMENT");
}

TYPED_TEST_P(DaemonConformance, ArgumentsAreCheckedStrictly)
{
    const DaemonUnderTest& d = *this->daemon;
    EXPECT_EQ(d.call("set_fan_mode", {{"index", 0}, {"mode", "turbo"}})["code"].toString(), "ERR_INVALID_ARGUMENT");
    EXPECT_EQ(d.call("set_fan_mode", {{"index", "0"}, {"mode", "auto"}})["code"].toString(), "ERR_INVALID_ARGUMENT");
    EXPECT_EQ(statusText(d.call("set_smart_target_config", {{"targets", QJsonObject{{"CPU", "hot"}}}})), "error");
    EXPECT_EQ(statusText(d.call("set_survival_throttling",
                                {{"enabled", true}, {"threshold", 95.0}, {"cooldown_target", 99.0}})),
              "error");
    EXPECT_EQ(statusText(d.call("set_survival_throttling",
                                {{"enabled", true}, {"threshold", 95.0}, {"cooldown_target", 85.0}})),
              "ok");
    EXPECT_EQ(
        d.call("set_cloud_alert_settings",
               {{"enabled", true}, {"user_id", "u"}, {"webhook_url", "http://x"}, {"interval_seconds", 300}})["code"]
            .toString(),
        "ERR_WEBHOOK_NOT_HTTPS");
    if (!d.hasBattery())
        return;
    const auto error = d.call("set_battery_config", conformanceBatteryConfig(120));
    EXPECT_EQ(statusText(error), "error");
    EXPECT_EQ(error["reason"].toString(), "invalid_limit");
    EXPECT_TRUE(error["message"].isString());
    QJsonObject bad = conformanceBatteryConfig();
    bad["safety_drain_target_mode"] = "fixed"; // without a percent
    EXPECT_EQ(d.call("set_battery_config", bad)["reason"].toString(), "invalid_safety_drain_target_percent");
    bad = conformanceBatteryConfig();
    bad["enabled"] = 1;
    EXPECT_EQ(statusText(d.call("set_battery_config", bad)), "error");
    bad = conformanceBatteryConfig();
    bad["max_temp"] = 20;
    EXPECT_EQ(d.call("set_battery_config", bad)["reason"].toString(), "invalid_max_temp");
    EXPECT_EQ(d.call("request_one_time_full_charge", {{"restore_limit", 10}})["code"].toString(),
              "ERR_INVALID_ARGUMENT");
    EXPECT_EQ(statusText(d.call("set_charge_limit", {{"limit", 70.5}})), "error");
}

TYPED_TEST_P(DaemonConformance, BatteryConfigNamesEachPartItApplied)
{
    const DaemonUnderTest& d = *this->daemon;
    if (!d.hasBattery())
        GTEST_SKIP() << "no battery on this machine";
    const auto reply = d.call("set_battery_config", conformanceBatteryConfig());
    const QString status = statusText(reply);
    EXPECT_TRUE(status == "ok" || status == "partial") << status.toStdString();
    const QJsonObject parts = reply["last_charge_apply"].toObject();
    bool anyFailed = false;
    for (const char* part : {"charge_limit_ok", "charge_protector_ok", "heat_protection_ok", "safety_drain_ok"}) {
        ASSERT_TRUE(parts[part].isBool()) << part;
        anyFailed = anyFailed || !parts[part].toBool();
    }
    EXPECT_EQ(anyFailed, status == "partial") << "partial exactly when a part was not applied";
    const auto policy = d.call("get_power_policy_state");
    if (parts["charge_limit_ok"].toBool()) {
        EXPECT_TRUE(policy["charge_limit_enabled"].toBool());
        EXPECT_EQ(policy["target_charge_limit"].toInt(), 80);
    }
    EXPECT_DOUBLE_EQ(policy["max_battery_temp"].toDouble(), 35.4);
    EXPECT_EQ(statusText(d.call("reset_to_vanilla")), "ok");
    EXPECT_FALSE(d.call("get_power_policy_state")["charge_limit_enabled"].toBool());
}

TYPED_TEST_P(DaemonConformance, BadRequestsGetAnErrorWithACodeAndTheDaemonCarriesOn)
{
    const DaemonUnderTest& d = *this->daemon;
    for (const QByteArray& bad : {QByteArray("not json"), QByteArray("[1,2]"), QByteArray("{\"cmd\": 5}"),
                                  QByteArray("{}"), QByteArray("{\"cmd\":\"fly_to_the_moon\"}"),
                                  QByteArray("{\"cmd\":\"get_status\",\"cmd\":\"reset_to_vanilla\"}")}) {
        const auto r = d.raw(bad);
        EXPECT_EQ(statusText(r), "error") << bad.constData();
        EXPECT_TRUE(r["code"].isString() && !r["code"].toString().isEmpty()) << bad.constData();
    }
    EXPECT_EQ(d.raw("{\"cmd\":\"fly_to_the_moon\"}")["code"].toString(), "ERR_UNKNOWN_COMMAND");
    EXPECT_EQ(statusText(d.raw("{\"cmd\":\"get_status\"}")), "ok");
}

TYPED_TEST_P(DaemonConformance, DiagnosticBundlesAreWrittenOnlyWithTheUsersConsent)
{
    const DaemonUnderTest& d = *this->daemon;
    const auto preview = d.call("get_diagnostic_package_preview",
                                {{"include_process_names", false}, {"include_report_context", true}});
    ASSERT_EQ(statusText(preview), "ok");
    const auto reply = d.call("export_diagnostic_bundle", conformanceExportRequest());
    ASSERT_EQ(statusText(reply), "ok") << reply.value("message").toString().toStdString();
    EXPECT_EQ(reply.value("manifest").toString(), "manifest.json");
    EXPECT_EQ(reply.value("upload_mode").toString(), "manual_user_send");
    EXPECT_FALSE(reply.value("automatic_cloud_flush").toBool());
    const QString path = reply.value("path").toString();
    for (const auto& file : preview.value("included_files").toArray())
        EXPECT_TRUE(QFileInfo::exists(path + QLatin1Char('/') + file.toString())) << file.toString().toStdString();

    const auto refused = [&](const char* key, const QJsonValue& value) {
        QJsonObject r = conformanceExportRequest();
        r[key] = value;
        return d.call("export_diagnostic_bundle", r).value("code").toString();
    };
    EXPECT_EQ(refused("user_confirmed", false), "ERR_USER_CONFIRMATION_REQUIRED");
    EXPECT_EQ(refused("user_review_required", false), "ERR_USER_REVIEW_REQUIRED");
    EXPECT_EQ(refused("upload_mode", "automatic"), "ERR_UPLOAD_MODE_NOT_ALLOWED");
    EXPECT_EQ(refused("support_case_id", "call me at +1 555 0100"), "ERR_REDACTION_FAILED");
}

REGISTER_TYPED_TEST_SUITE_P(DaemonConformance, ReadBacksCarryEveryKeyTheApplicationReads, HeartbeatHoldsTheLease,
                            SleepCommandReportsRequestedAndEffectiveState, ArgumentsAreCheckedStrictly,
                            BatteryConfigNamesEachPartItApplied, BadRequestsGetAnErrorWithACodeAndTheDaemonCarriesOn,
                            DiagnosticBundlesAreWrittenOnlyWithTheUsersConsent);

} // namespace vantrel::test
