// Battery commands on the kernel's charge controls: the policy, the limit, a one-time full
// charge and the cloud alert settings.
#include <variant>

#include "daemonserver/BatteryReplies.h"
#include "daemonserver/BatteryRequest.h"
#include "daemonserver/CloudAlertRequest.h"
#include "daemonserver/Replies.h"
#include "node/daemon/NodeCommands.h"

namespace vantrel::node {

using daemonserver::errorReply;
using daemonserver::okReply;

namespace {

std::optional<QJsonObject> noBattery(NodeContext& ctx)
{
    ctx.refreshPower();
    const auto b = ctx.battery();
    if (b && b->present)
        return std::nullopt;
    return daemonserver::noBatteryReply(QStringLiteral("This machine has no battery."));
}

QJsonObject writeFailed(const SysfsWriteResult& r)
{
    return errorReply(r.code == QLatin1String("unsupported") ? QStringLiteral("ERR_CHARGE_CONTROL_UNSUPPORTED")
                                                             : QStringLiteral("ERR_CHARGE_APPLY_FAILED"),
                      r.detail.isEmpty() ? QStringLiteral("The charge limit was not taken.") : r.detail,
                      {{QStringLiteral("reason"), r.code}});
}

QString powerOnlyState(const NodeContext& ctx) { return ctx.batteryPolicy.state(ctx.battery(), ctx.adapter()); }

QJsonObject setBatteryConfig(NodeContext& ctx, const QJsonObject& request)
{
    if (auto refused = noBattery(ctx))
        return *refused;
    const auto parsed = daemonserver::parseBatteryRequest(request);
    if (const auto* error = std::get_if<QJsonObject>(&parsed))
        return *error;
    const auto battery = ctx.battery();
    const BatteryApplyOutcome outcome
        = ctx.batteryPolicy.configure(std::get<daemonserver::BatteryConfig>(parsed), battery ? &*battery : nullptr);
    ctx.event(QStringLiteral("battery.config"), QStringLiteral("config_applied"),
              outcome.failed.isEmpty()
                  ? QStringLiteral("Battery policy applied")
                  : QStringLiteral("Battery policy applied without: ") + outcome.failed.join(QStringLiteral(", ")),
              QStringLiteral("app_request"),
              outcome.failed.isEmpty() ? QStringLiteral("applied") : QStringLiteral("partial"));
    ctx.persistBattery();
    ctx.tick();
    return daemonserver::batteryConfigReply(outcome.lastApply, outcome.failed, powerOnlyState(ctx),
                                            QStringLiteral("This machine does not offer: "));
}

QJsonObject setChargeLimit(NodeContext& ctx, const QJsonObject& request)
{
    if (auto refused = noBattery(ctx))
        return *refused;
    const auto limit = daemonserver::requestedChargeLimit(request);
    if (const auto* error = std::get_if<QJsonObject>(&limit))
        return *error;
    const SysfsWriteResult r = ctx.batteryPolicy.setLimit(std::get<int>(limit));
    if (!r.ok)
        return writeFailed(r);
    ctx.event(QStringLiteral("battery.charge_limit"), QStringLiteral("limit_set"),
              QStringLiteral("Charge limit %1%").arg(r.applied), QStringLiteral("app_request"),
              QStringLiteral("limiting"));
    ctx.persistBattery();
    return okReply({{QStringLiteral("limit"), std::get<int>(limit)}, {QStringLiteral("applied_limit"), r.applied}});
}

QJsonObject requestOneTimeFullCharge(NodeContext& ctx, const QJsonObject& request)
{
    if (auto refused = noBattery(ctx))
        return *refused;
    const auto requested = daemonserver::requestedRestoreLimit(request);
    if (const auto* error = std::get_if<QJsonObject>(&requested))
        return *error;
    const std::optional<int> restore = std::get<std::optional<int>>(requested);
    const SysfsWriteResult r = ctx.batteryPolicy.startOneTimeFullCharge(restore);
    if (!r.ok)
        return writeFailed(r);
    ctx.event(QStringLiteral("battery.one_time_full_charge"), QStringLiteral("requested"),
              daemonserver::oneTimeFullChargeSummary(restore), QStringLiteral("app_request"),
              QStringLiteral("temporary_full_charge"));
    return daemonserver::oneTimeFullChargeReply(powerOnlyState(ctx));
}

} // namespace

void addNodeBatteryCommands(NodeCommandTable& table)
{
    table.add(QStringLiteral("set_battery_config"), setBatteryConfig);
    table.add(QStringLiteral("set_charge_limit"), setChargeLimit);
    table.add(QStringLiteral("request_one_time_full_charge"), requestOneTimeFullCharge);
    daemonserver::addCloudAlertCommands(table, &NodeContext::cloudAlerts, &NodeContext::storeDaemonSetting, true);
}

} // namespace vantrel::node
