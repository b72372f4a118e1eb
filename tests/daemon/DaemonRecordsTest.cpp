#include "daemon/DaemonStatus.h"

#include <QJsonArray>

#include <gtest/gtest.h>

#include "daemon/HardwareProfileReply.h"
#include "daemon/PowerPolicyState.h"
#include "daemon/ReloadedUserSettings.h"
#include "daemon/RuntimeOwnership.h"
#include "daemon/SystemSnapshot.h"
#include "daemon/UserSettingsState.h"
#include "daemon/VantrelIPCLogRedactor.h"

namespace vantrel {
namespace {

TEST(DaemonStatusRecord, ReadsRepliesAndRoundTripsItsJsonForm)
{
    const DaemonStatus integral = DaemonStatus::fromReply(
        {{"status", "ok"}, {"cpu_temp", 51}, {"fan0", 2400}, {"fan1", 2450.0}, {"battery_percent", 80}});
    EXPECT_EQ(integral.cpu_temp, 51.0);
    EXPECT_EQ(integral.fan0, 2400);
    EXPECT_EQ(integral.fan1, 2450) << "an integral double is an integer";
    EXPECT_EQ(integral.battery_percent, 80);

    const DaemonStatus mistyped = DaemonStatus::fromReply({{"status", "busy"},
                                                           {"cpu_temp", "51"},
                                                           {"fan0", 1800.5},
                                                           {"fan1", true},
                                                           {"battery_percent", QJsonValue::Null}});
    EXPECT_EQ(mistyped, (DaemonStatus{"busy", std::nullopt, std::nullopt, std::nullopt, std::nullopt}));
    EXPECT_FALSE(mistyped.isOk());
    EXPECT_EQ(DaemonStatus::fromReply({}).status, QStringLiteral("error"));
    EXPECT_EQ(DaemonStatus::fromReply({{"status", 1}}).status, QStringLiteral("error"));
    EXPECT_FALSE(DaemonStatus::fromReply({{"status", "OK"}}).isOk());

    // The encoded form: exactly the present keys; "status" required, the rest optional but typed.
    EXPECT_EQ(
        integral.toJson(),
        (QJsonObject{{"status", "ok"}, {"cpu_temp", 51.0}, {"fan0", 2400}, {"fan1", 2450}, {"battery_percent", 80}}));
    EXPECT_EQ(DaemonStatus::fromJson(integral.toJson()), integral);
    EXPECT_EQ(mistyped.toJson(), (QJsonObject{{"status", "busy"}}));
    EXPECT_EQ(DaemonStatus::fromJson(mistyped.toJson()), mistyped);
    const DaemonStatus fractional{"ok", 47.375, std::nullopt, 0, std::nullopt};
    EXPECT_EQ(DaemonStatus::fromJson(fractional.toJson()), fractional);
    EXPECT_FALSE(DaemonStatus::fromJson({{"cpu_temp", 40}}));
    EXPECT_FALSE(DaemonStatus::fromJson({{"status", "ok"}, {"fan0", "1800"}}));
    EXPECT_FALSE(DaemonStatus::fromJson({{"status", "ok"}, {"battery_percent", 79.5}}));
    EXPECT_EQ(DaemonStatus::fromJson({{"status", "ok"}, {"fan1", QJsonValue::Null}}),
              (DaemonStatus{"ok", {}, {}, {}, {}}));
}

TEST(DaemonReplyReaders, ApplyTheirTypingRulesAndDefaults)
{
    // Snapshot: lenient numbers, nested objects optional, memory level "unknown" by default.
    const SystemSnapshot snapshot
        = SystemSnapshot::fromReply({{"status", "ok"},
                                     {"cpu",
                                      QJsonObject{{"system_percent", "12.5"},
                                                  {"user_percent", 30},
                                                  {"idle_percent", "n/a"},
                                                  {"process_count", "412"},
                                                  {"thread_count", 2100.0}}},
                                     {"battery_activity", QJsonObject{{"state", "charging"}, {"power_source", 1}}},
                                     {"ssd", QJsonObject{{"temperature_celsius", 38.5}}}});
    EXPECT_EQ(snapshot.cpu.systemPercent, 12.5);
    EXPECT_EQ(snapshot.cpu.userPercent, 30.0);
    EXPECT_FALSE(snapshot.cpu.idlePercent);
    EXPECT_EQ(snapshot.cpu.processCount, 412);
    EXPECT_EQ(snapshot.cpu.threadCount, 2100);
    EXPECT_EQ(snapshot.memory, SystemSnapshot::Memory{});
    EXPECT_EQ(snapshot.memory.level, QStringLiteral("unknown"));
    EXPECT_EQ(snapshot.batteryActivity.state, QStringLiteral("charging"));
    EXPECT_FALSE(snapshot.batteryActivity.powerSource);
    EXPECT_EQ(snapshot.ssdTemperatureCelsius, 38.5);
    const SystemSnapshot memory = SystemSnapshot::fromReply(
        {{"memory", QJsonObject{{"level", "warn"}, {"used_bytes", "1.5e10"}, {"swap_used_bytes", 0}}},
         {"cpu", "not an object"}});
    EXPECT_EQ(memory.memory.level, QStringLiteral("warn"));
    EXPECT_EQ(memory.memory.usedBytes, 1.5e10);
    EXPECT_EQ(memory.memory.swapUsedBytes, 0.0);
    EXPECT_EQ(memory.cpu, SystemSnapshot::Cpu{});

    // Power policy: strict types, mistyped keys absent.
    const PowerPolicyState policy = PowerPolicyState::fromReply({{"battery_percent", 77},
                                                                 {"battery_present", true},
                                                                 {"target_charge_limit", "80"},
                                                                 {"power_only_state", "holding"},
                                                                 {"charge_limit_enabled", 1},
                                                                 {"safety_drain_enabled", false},
                                                                 {"fan_preset_name", "Quiet"}});
    EXPECT_EQ(policy.batteryPercent, 77);
    EXPECT_EQ(policy.batteryPresent, true);
    EXPECT_FALSE(policy.targetChargeLimit);
    EXPECT_EQ(policy.powerOnlyState, QStringLiteral("holding"));
    EXPECT_FALSE(policy.chargeLimitEnabled);
    EXPECT_EQ(policy.safetyDrainEnabled, false);
    EXPECT_FALSE(policy.heatProtectionEnabled);
    EXPECT_EQ(policy.fanPresetName, QStringLiteral("Quiet"));

    // Hardware profile: names "unknown" by default, capability flags strictly boolean.
    const HardwareProfileReply profile = HardwareProfileReply::fromReply({{"model_identifier", "Mac15,7"},
                                                                          {"architecture", 64},
                                                                          {"fan_count", 2},
                                                                          {"has_battery", 1},
                                                                          {"supports_clamshell", true},
                                                                          {"desktop_class", false}});
    EXPECT_EQ(profile.modelIdentifier, QStringLiteral("Mac15,7"));
    EXPECT_EQ(profile.architecture, QStringLiteral("unknown"));
    EXPECT_EQ(profile.fanCount, 2);
    EXPECT_FALSE(profile.hasBattery);
    EXPECT_EQ(profile.supportsClamshell, true);
    EXPECT_EQ(profile.desktopClass, false);
    EXPECT_FALSE(profile.supportsSafeFanControl);

    EXPECT_TRUE(UserSettingsState::fromReply({{"status", "ok"}, {"exists", true}}).exists);
    EXPECT_FALSE(UserSettingsState::fromReply({{"status", "ok"}, {"exists", 1}}).exists);
    EXPECT_FALSE(UserSettingsState::fromReply({{"status", "ok"}}).exists);

    // Reloaded settings: usable only as "ok"/"partial" with "load_status" "loaded" and a settings object.
    const QJsonObject settings{{"chargeLimit", 80}};
    const auto partial = ReloadedUserSettings::fromReply({{"status", "partial"},
                                                          {"load_status", "loaded"},
                                                          {"settings", settings},
                                                          {"code", "ERR_RUNTIME_RESTORE_PARTIAL"}});
    ASSERT_TRUE(partial);
    EXPECT_TRUE(partial->isPartial());
    EXPECT_EQ(partial->settings, settings);
    EXPECT_EQ(partial->code, QStringLiteral("ERR_RUNTIME_RESTORE_PARTIAL"));
    EXPECT_EQ(ReloadedUserSettings::fromReply({{"status", "ok"}, {"load_status", "loaded"}, {"settings", settings}}),
              (ReloadedUserSettings{"ok", settings, std::nullopt}));
    EXPECT_FALSE(
        ReloadedUserSettings::fromReply({{"status", "error"}, {"load_status", "loaded"}, {"settings", settings}}));
    EXPECT_FALSE(
        ReloadedUserSettings::fromReply({{"status", "ok"}, {"load_status", "missing"}, {"settings", settings}}));
    EXPECT_FALSE(
        ReloadedUserSettings::fromReply({{"status", "ok"}, {"load_status", "loaded"}, {"settings", QJsonArray()}}));

    // Ownership: production admitted only with the fence present and down.
    EXPECT_TRUE(
        RuntimeOwnership::fromReply({{"channel", "production"}, {"transition_fenced", false}}).admitsProduction());
    EXPECT_FALSE(RuntimeOwnership::fromReply({{"channel", "production"}}).admitsProduction());
    EXPECT_FALSE(
        RuntimeOwnership::fromReply({{"channel", "production"}, {"transition_fenced", true}}).admitsProduction());
    EXPECT_FALSE(RuntimeOwnership::fromReply({{"channel", "production"}, {"transition_fenced", 0}}).admitsProduction());
    const RuntimeOwnership debug = RuntimeOwnership::fromReply({{"channel", "debug"}, {"transition_fenced", false}});
    EXPECT_TRUE(debug.isDebugChannel());
    EXPECT_FALSE(debug.admitsProduction());
    EXPECT_FALSE(RuntimeOwnership::fromReply({{"channel", 3}}).channel);
}

TEST(PowerPolicyStateRecord, ChargeLimitIgnoredOnlyWhenTheDaemonSaysSo)
{
    const auto ignored
        = [](const QJsonObject& reply) { return PowerPolicyState::fromReply(reply).chargeLimitIgnored(); };

    const PowerPolicyState past = PowerPolicyState::fromReply(
        {{"charge_limit_enabled", true},
         {"charge_limit_in_effect", false},
         {"charge_limit_warning_message", "The battery keeps charging past the 80% limit: the firmware ignores it."}});
    EXPECT_EQ(past.chargeLimitInEffect, false);
    EXPECT_TRUE(past.chargeLimitIgnored());
    EXPECT_EQ(past.chargeLimitWarningMessage,
              QStringLiteral("The battery keeps charging past the 80% limit: the firmware ignores it."));

    EXPECT_FALSE(ignored({{"charge_limit_enabled", true}, {"charge_limit_in_effect", true}}));
    // The simulator never sends the key: the limit holds.
    const PowerPolicyState absent = PowerPolicyState::fromReply({{"charge_limit_enabled", true}});
    EXPECT_FALSE(absent.chargeLimitInEffect);
    EXPECT_FALSE(absent.chargeLimitIgnored());
    // Mistyped values are not read as "not in effect".
    for (const QJsonValue& odd :
         {QJsonValue(0), QJsonValue("false"), QJsonValue(QJsonValue::Null), QJsonValue(QJsonArray{false})})
        EXPECT_FALSE(ignored({{"charge_limit_enabled", true}, {"charge_limit_in_effect", odd}}))
            << odd.toVariant().toString().toStdString();
    // A limit that is off cannot be ignored; an unknown switch state trusts the daemon.
    EXPECT_FALSE(ignored({{"charge_limit_enabled", false}, {"charge_limit_in_effect", false}}));
    EXPECT_TRUE(ignored({{"charge_limit_in_effect", false}}));
    // Only a non-empty text is a message.
    EXPECT_FALSE(PowerPolicyState::fromReply({{"charge_limit_warning_message", ""}}).chargeLimitWarningMessage);
    EXPECT_FALSE(PowerPolicyState::fromReply({{"charge_limit_warning_message", 7}}).chargeLimitWarningMessage);
}

TEST(VantrelIPCLogRedactor, HidesSensitiveKeysAtEveryDepth)
{
    const QJsonObject input{
        {"cmd", "install_update_package"},
        {"PKG_PATH", "/Users/me/Downloads/v.pkg"},
        {"Expected_SHA256", "deadbeef"},
        {"user_confirmed", true},
        {"report",
         QJsonObject{{"Support_Email", "me@example.com"},
                     {"count", 3},
                     {"list",
                      QJsonArray{QJsonObject{{"device_hash", "h"}}, QJsonArray{QJsonObject{{"client_secret", "s"}}, 7},
                                 "plain"}}}},
        {"settings", QJsonObject{{"password_hint", QJsonObject{{"a", 1}}}, {"tokens", QJsonArray{"t1", "t2"}}}},
    };
    const QJsonObject expected{
        {"cmd", "install_update_package"},
        {"PKG_PATH", "<redacted>"},
        {"Expected_SHA256", "<redacted>"},
        {"user_confirmed", true},
        {"report",
         QJsonObject{{"Support_Email", "<redacted>"},
                     {"count", 3},
                     {"list",
                      QJsonArray{QJsonObject{{"device_hash", "<redacted>"}},
                                 QJsonArray{QJsonObject{{"client_secret", "<redacted>"}}, 7}, "plain"}}}},
        {"settings", QJsonObject{{"password_hint", "<redacted>"}, {"tokens", "<redacted>"}}},
    };
    EXPECT_EQ(VantrelIPCLogRedactor::redact(input), expected);
    EXPECT_TRUE(VantrelIPCLogRedactor::isSensitiveKey(QStringLiteral("errorDetails")));
    for (const char* key : {"cmd", "status", "user_id", "limit", "install_id", "device", "mail"})
        EXPECT_FALSE(VantrelIPCLogRedactor::isSensitiveKey(QString::fromLatin1(key))) << key;
}

} // namespace
} // namespace vantrel
