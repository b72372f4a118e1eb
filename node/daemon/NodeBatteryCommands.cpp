// Battery commands on the kernel's charge controls: the policy, the limit, a one-time full
// charge and the cloud alert settings.
#include <variant>

#include "base/JsonAccess.h"
#include "daemonserver/BatteryRequest.h"
#include "daemonserver/Replies.h"
#include "node/daemon/NodeCommands.h"

namespace vantrel::node {

using daemonserver::errorReply;
using daemonserver::invalidArgument;
using daemonserver::okReply;

namespace {

std::optional<QJsonObject> noBattery(NodeContext& ctx)
{
    ctx.refreshPower();
    const auto b = ctx.battery();
    if (b && b->present)
        return std::nullopt;
    return errorReply(QStringLiteral("ERR_NO_BATTERY"), QStringLiteral("This machine has no battery."),
                      {{QStringLiteral("reason"), QStringLiteral("no_battery")}});
}

QJsonObject writeFailed(const SysfsWriteResult& r)
{
    return errorReply(r.code == QLatin1String("unsupported") ? QStringLiteral("ERR_CHARGE_CONTROL_UNSUPPORTED")
                                                             : QStringLiteral("ERR_CHARGE_APPLY_FAILED"),
                      r.detail.isEmpty() ? QStringLiteral("The charge limit was not taken.") : r.detail,
                      {{QStringLiteral("reason"), r.code}});
}

QJsonObject setBatteryConfig(NodeContext& ctx, const QJsonObject& request)
{
    if (auto refused = noBattery(ctx))
        return *refused;
    const auto parsed = daemonserver::parseBatteryRequest(request);
    if (const auto* error = std::get_if<QJsonObject>(&parsed))
        return *error;
    const auto battery = ctx.battery();
    const BatteryApplyOutcome outcome
        = ctx.batteryPolicy.configure(std::get<daemonserver::BatteryRequest>(parsed), battery ? &*battery : nullptr);
    ctx.event(QStringLiteral("battery.config"), QStringLiteral("config_applied"),
              outcome.failed.isEmpty()
                  ? QStringLiteral("Battery policy applied")
                  : QStringLiteral("Battery policy applied without: ") + outcome.failed.join(QStringLiteral(", ")),
              QStringLiteral("app_request"),
              outcome.failed.isEmpty() ? QStringLiteral("applied") : QStringLiteral("partial"));
    ctx.persistBattery();
    ctx.tick();
    QJsonObject extra{{QStringLiteral("last_charge_apply"), outcome.lastApply},
                      {QStringLiteral("power_only_state"), ctx.batteryPolicy.state(ctx.battery(), ctx.adapter())}};
    if (outcome.failed.isEmpty())
        return okReply(extra);
    extra.insert(QStringLiteral("status"), QStringLiteral("partial"));
    extra.insert(QStringLiteral("code"), QStringLiteral("ERR_CHARGE_APPLY_PARTIAL"));
    extra.insert(QStringLiteral("message"),
                 QStringLiteral("This machine does not offer: ") + outcome.failed.join(QStringLiteral(", ")));
    return extra;
}

QJsonObject setChargeLimit(NodeContext& ctx, const QJsonObject& request)
{
    if (auto refused = noBattery(ctx))
        return *refused;
    const auto limit = json::integer(request, QStringLiteral("limit"));
    if (!limit || *limit < 20 || *limit > 100)
        return daemonserver::invalidBatteryConfig(
            QStringLiteral("invalid_limit"), QStringLiteral("The charge limit must be an integer from 20 to 100."));
    const SysfsWriteResult r = ctx.batteryPolicy.setLimit(static_cast<int>(*limit));
    if (!r.ok)
        return writeFailed(r);
    ctx.event(QStringLiteral("battery.charge_limit"), QStringLiteral("limit_set"),
              QStringLiteral("Charge limit %1%").arg(r.applied), QStringLiteral("app_request"),
              QStringLiteral("limiting"));
    ctx.persistBattery();
    return okReply({{QStringLiteral("limit"), static_cast<int>(*limit)}, {QStringLiteral("applied_limit"), r.applied}});
}

QJsonObject requestOneTimeFullCharge(NodeContext& ctx, const QJsonObject& request)
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
    const SysfsWriteResult r = ctx.batteryPolicy.startOneTimeFullCharge(restore);
    if (!r.ok)
        return writeFailed(r);
    ctx.event(QStringLiteral("battery.one_time_full_charge"), QStringLiteral("requested"),
              restore ? QStringLiteral("Charging to 100%, then back to %1%").arg(*restore)
                      : QStringLiteral("Charging to 100% once"),
              QStringLiteral("app_request"), QStringLiteral("temporary_full_charge"));
    return okReply({{QStringLiteral("power_only_state"), ctx.batteryPolicy.state(ctx.battery(), ctx.adapter())}});
}

QJsonObject setCloudAlertSettings(NodeContext& ctx, const QJsonObject& request)
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
    ctx.daemonSettings.storeSection(QStringLiteral("cloud_alerts"), ctx.cloudAlerts,
                                    ctx.clock.now().toMSecsSinceEpoch() / 1000.0);
    return okReply({{QStringLiteral("enabled"), *enabled}});
}

QJsonObject clearCloudAlertSettings(NodeContext& ctx, const QJsonObject&)
{
    ctx.cloudAlerts = {};
    ctx.daemonSettings.storeSection(QStringLiteral("cloud_alerts"), QJsonObject{},
                                    ctx.clock.now().toMSecsSinceEpoch() / 1000.0);
    return okReply();
}

} // namespace

void addNodeBatteryCommands(NodeCommandTable& table)
{
    table.add(QStringLiteral("set_battery_config"), setBatteryConfig);
    table.add(QStringLiteral("set_charge_limit"), setChargeLimit);
    table.add(QStringLiteral("request_one_time_full_charge"), requestOneTimeFullCharge);
    table.add(QStringLiteral("set_cloud_alert_settings"), setCloudAlertSettings);
    table.add(QStringLiteral("clear_cloud_alert_settings"), clearCloudAlertSettings);
}

} // namespace vantrel::node
