// System sleep held off through logind inhibitors, with the daemon's own battery cut-off.
#include "base/JsonAccess.h"
#include "daemonserver/Replies.h"
#include "node/daemon/NodeCommands.h"

namespace vantrel::node {

using daemonserver::invalidArgument;
using daemonserver::okReply;

namespace {

QJsonObject setSystemSleepDisabled(NodeContext& ctx, const QJsonObject& request)
{
    const auto enabled = json::strictBool(request, QStringLiteral("enabled"));
    if (!enabled)
        return invalidArgument(QStringLiteral("enabled"), QStringLiteral("a boolean"));
    std::optional<int> cutoff;
    if (request.contains(QStringLiteral("battery_cutoff_percent"))) {
        const auto value = json::integer(request, QStringLiteral("battery_cutoff_percent"));
        if (!value || *value < 5 || *value > 95)
            return invalidArgument(QStringLiteral("battery_cutoff_percent"),
                                   QStringLiteral("an integer percent from 5 to 95"));
        cutoff = static_cast<int>(*value);
    }
    const bool persist = json::strictBool(request, QStringLiteral("persist_user_intent")).value_or(false);
    ctx.refreshPower();
    ctx.sleep.request(*enabled, cutoff, ctx.sleepInputs());
    ctx.event(QStringLiteral("sleep.system"),
              *enabled ? QStringLiteral("disable_requested") : QStringLiteral("enable_requested"),
              ctx.sleep.effective() ? QStringLiteral("System sleep held off") : QStringLiteral("System sleep allowed"),
              QStringLiteral("app_request"),
              ctx.sleep.effective() ? QStringLiteral("held") : QStringLiteral("released"));
    if (persist)
        ctx.persistSleep();
    QJsonObject reply = okReply({
        {QStringLiteral("requested_enabled"), *enabled},
        {QStringLiteral("effective_enabled"), ctx.sleep.effective()},
        {QStringLiteral("low_battery_vanilla_active"), ctx.sleep.lowBatteryVanilla()},
        {QStringLiteral("battery_cutoff_percent"), ctx.sleep.cutoffPercent()},
        {QStringLiteral("persisted"), persist},
    });
    if (*enabled && ctx.sleep.lowBatteryVanilla())
        reply.insert(QStringLiteral("code"), QStringLiteral("SLEEP_DISABLE_SUSPENDED_LOW_BATTERY"));
    else if (*enabled && ctx.sleep.inhibitorRefused())
        reply.insert(QStringLiteral("code"), QStringLiteral("SLEEP_INHIBITOR_UNAVAILABLE"));
    return reply;
}

} // namespace

void addNodeSleepCommands(NodeCommandTable& table)
{
    table.add(QStringLiteral("set_system_sleep_disabled"), setSystemSleepDisabled);
}

} // namespace vantrel::node
