// Battery commands: the policy, the charge limit, the one-time full charge and cloud alerts.
#include <variant>

#include "base/JsonAccess.h"
#include "daemonserver/BatteryRequest.h"
#include "sim/protocol/CommandTable.h"

namespace vantrel::sim {

namespace {

// The parts of a battery configuration the charger applies separately; each can fail alone.
const QStringList& chargeParts()
{
    static const QStringList parts{QStringLiteral("charge_limit"), QStringLiteral("charge_protector"),
                                   QStringLiteral("heat_protection"), QStringLiteral("safety_drain")};
    return parts;
}

std::optional<QJsonObject> noBattery(const SimContext& ctx)
{
    if (ctx.mac.battery())
        return std::nullopt;
    return errorReply(QStringLiteral("ERR_NO_BATTERY"), QStringLiteral("This Mac has no battery."),
                      {{QStringLiteral("reason"), QStringLiteral("no_battery")}});
}

std::variant<BatteryConfig, QJsonObject> parseBatteryConfig(const QJsonObject& r)
{
    const auto parsed = daemonserver::parseBatteryRequest(r);
    if (const auto* error = std::get_if<QJsonObject>(&parsed))
        return *error;
    const auto& b = std::get<daemonserver::BatteryRequest>(parsed);
    return BatteryConfig{b.limitEnabled, b.limit,   b.chargeProtector, b.drop,
                         b.heatProtect,  b.maxTemp, b.safetyDrain,     b.drainFixedTarget};
}

// What the charger takes of the requested configuration: parts whose write fails keep their old values.
BatteryConfig appliedParts(const BatteryConfig& requested, const BatteryConfig& old, const QSet<QString>& failing)
{
    BatteryConfig applied = requested;
    if (failing.contains(QStringLiteral("charge_limit"))) {
        applied.limitEnabled = old.limitEnabled;
        applied.limit = old.limit;
    }
    if (failing.contains(QStringLiteral("charge_protector"))) {
        applied.chargeProtector = old.chargeProtector;
        applied.drop = old.drop;
    }
    if (failing.contains(QStringLiteral("heat_protection"))) {
        applied.heatProtect = old.heatProtect;
        applied.maxTemp = old.maxTemp;
    }
    if (failing.contains(QStringLiteral("safety_drain"))) {
        applied.safetyDrain = old.safetyDrain;
        applied.drainFixedTarget = old.drainFixedTarget;
    }
    return applied;
}

QJsonObject setBatteryConfig(SimContext& ctx, const QJsonObject& request)
{
    if (auto refused = noBattery(ctx))
        return *refused;
    const auto parsed = parseBatteryConfig(request);
    if (const auto* error = std::get_if<QJsonObject>(&parsed))
        return *error;
    const BatteryConfig& requested = std::get<BatteryConfig>(parsed);
    const BatteryConfig applied = appliedParts(requested, ctx.mac.policy().config(), ctx.chargerFaults);
    ctx.mac.policy().configure(applied);
    ctx.mac.settle();

    QJsonObject lastApply;
    QStringList failed;
    for (const QString& part : chargeParts()) {
        const bool ok = !ctx.chargerFaults.contains(part);
        lastApply.insert(part + QStringLiteral("_ok"), ok);
        if (!ok)
            failed << part;
    }
    ctx.mac.recordEvent({QStringLiteral("battery.config"), QStringLiteral("config_applied"),
                         QStringLiteral("limit %1%2, protector %3, heat %4 at %5 °C, drain %6")
                             .arg(requested.limit)
                             .arg(requested.limitEnabled ? QString() : QStringLiteral(" (off)"))
                             .arg(requested.chargeProtector ? QStringLiteral("on") : QStringLiteral("off"),
                                  requested.heatProtect ? QStringLiteral("on") : QStringLiteral("off"))
                             .arg(requested.maxTemp, 0, 'f', 1)
                             .arg(requested.safetyDrain ? QStringLiteral("on") : QStringLiteral("off")),
                         QStringLiteral("app_request"),
                         failed.isEmpty() ? QStringLiteral("applied") : QStringLiteral("partial")});
    ctx.persistBattery(requested);
    QJsonObject extra{{QStringLiteral("last_charge_apply"), lastApply},
                      {QStringLiteral("power_only_state"), ctx.mac.policy().state()}};
    if (failed.isEmpty())
        return okReply(extra);
    extra.insert(QStringLiteral("status"), QStringLiteral("partial"));
    extra.insert(QStringLiteral("code"), QStringLiteral("ERR_CHARGE_APPLY_PARTIAL"));
    extra.insert(QStringLiteral("message"),
                 QStringLiteral("The charger did not take: ") + failed.join(QStringLiteral(", ")));
    return extra;
}

QJsonObject setChargeLimit(SimContext& ctx, const QJsonObject& request)
{
    if (auto refused = noBattery(ctx))
        return *refused;
    const auto limit = json::integer(request, QStringLiteral("limit"));
    if (!limit || *limit < 20 || *limit > 100)
        return daemonserver::invalidBatteryConfig(
            QStringLiteral("invalid_limit"), QStringLiteral("The charge limit must be an integer from 20 to 100."));
    if (ctx.chargerFaults.contains(QStringLiteral("charge_limit")))
        return errorReply(QStringLiteral("ERR_CHARGE_APPLY_FAILED"),
                          QStringLiteral("The charger did not take the new limit."),
                          {{QStringLiteral("reason"), QStringLiteral("charger_write_failed")}});
    ctx.mac.policy().setChargeLimit(static_cast<int>(*limit));
    ctx.mac.settle();
    ctx.mac.recordEvent({QStringLiteral("battery.charge_limit"), QStringLiteral("limit_set"),
                         QStringLiteral("Charge limit %1%").arg(*limit), QStringLiteral("app_request"),
                         ctx.mac.policy().state()});
    ctx.persistBattery();
    return okReply({{QStringLiteral("limit"), static_cast<int>(*limit)}});
}

QJsonObject requestOneTimeFullCharge(SimContext& ctx, const QJsonObject& request)
{
    if (auto refused = noBattery(ctx))
        return *refused;
    std::optional<int> restore;
    if (request.contains(QStringLiteral("restore_limit"))) {
        const auto limit = json::integer(request, QStringLiteral("restore_limit"));
        if (!limit || *limit < 20 || *limit > 100)
            return invalidArgument(QStringLiteral("restore_limit"),
                                   QStringLiteral("an integer percent from 20 to 100"));
        restore = static_cast<int>(*limit);
    }
    ctx.mac.policy().requestOneTimeFullCharge(restore);
    ctx.mac.settle();
    ctx.mac.recordEvent({QStringLiteral("battery.one_time_full_charge"), QStringLiteral("requested"),
                         restore ? QStringLiteral("Charging to 100%, then back to %1%").arg(*restore)
                                 : QStringLiteral("Charging to 100% once"),
                         QStringLiteral("app_request"), QStringLiteral("temporary_full_charge")});
    return okReply({{QStringLiteral("power_only_state"), ctx.mac.policy().state()}});
}

QJsonObject setCloudAlertSettings(SimContext& ctx, const QJsonObject& request)
{
    const auto enabled = json::strictBool(request, QStringLiteral("enabled"));
    const auto user = json::string(request, QStringLiteral("user_id"));
    const auto url = json::string(request, QStringLiteral("webhook_url"));
    const auto interval = json::integer(request, QStringLiteral("interval_seconds"));
    if (!enabled)
        return invalidArgument(QStringLiteral("enabled"), QStringLiteral("a boolean"));
    if (!user || !url)
        return invalidArgument(!user ? QStringLiteral("user_id") : QStringLiteral("webhook_url"),
                               QStringLiteral("a string"));
    if (!interval || *interval < 60 || *interval > 86400)
        return invalidArgument(QStringLiteral("interval_seconds"), QStringLiteral("an integer from 60 to 86400"));
    if (*enabled && !url->startsWith(QLatin1String("https://")))
        return errorReply(QStringLiteral("ERR_WEBHOOK_NOT_HTTPS"),
                          QStringLiteral("Alerts are sent only to https:// addresses."),
                          {{QStringLiteral("reason"), QStringLiteral("webhook_not_https")}});
    ctx.cloudAlerts = QJsonObject{{QStringLiteral("enabled"), *enabled},
                                  {QStringLiteral("user_id"), *user},
                                  {QStringLiteral("webhook_url"), *url},
                                  {QStringLiteral("interval_seconds"), *interval}};
    ctx.persistDaemonSetting(QStringLiteral("cloud_alerts"), ctx.cloudAlerts);
    return okReply({{QStringLiteral("enabled"), *enabled}});
}

QJsonObject clearCloudAlertSettings(SimContext& ctx, const QJsonObject&)
{
    ctx.cloudAlerts = {};
    ctx.persistDaemonSetting(QStringLiteral("cloud_alerts"), QJsonObject{});
    return okReply();
}

} // namespace

void addBatteryCommands(CommandTable& table)
{
    table.add(QStringLiteral("set_battery_config"), setBatteryConfig);
    table.add(QStringLiteral("set_charge_limit"), setChargeLimit);
    table.add(QStringLiteral("request_one_time_full_charge"), requestOneTimeFullCharge);
    table.add(QStringLiteral("set_cloud_alert_settings"), setCloudAlertSettings, false);
    table.add(QStringLiteral("clear_cloud_alert_settings"), clearCloudAlertSettings, false);
}

} // namespace vantrel::sim
