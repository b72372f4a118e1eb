// System sleep held off through logind inhibitors, with the daemon's own battery cut-off.
#include <variant>

#include "daemonserver/SleepRequest.h"
#include "node/daemon/NodeCommands.h"

namespace vantrel::node {

namespace {

QJsonObject setSystemSleepDisabled(NodeContext& ctx, const QJsonObject& request)
{
    const auto parsed = daemonserver::parseSleepRequest(request);
    if (const auto* error = std::get_if<QJsonObject>(&parsed))
        return *error;
    const auto& asked = std::get<daemonserver::SleepRequest>(parsed);
    ctx.refreshPower();
    ctx.sleep.request(asked.enabled, asked.cutoffPercent, ctx.sleepInputs());
    ctx.event(QStringLiteral("sleep.system"),
              asked.enabled ? QStringLiteral("disable_requested") : QStringLiteral("enable_requested"),
              ctx.sleep.effective() ? QStringLiteral("System sleep held off") : QStringLiteral("System sleep allowed"),
              QStringLiteral("app_request"),
              ctx.sleep.effective() ? QStringLiteral("held") : QStringLiteral("released"));
    if (asked.persist)
        ctx.persistSleep();
    QJsonObject reply = daemonserver::sleepReply(
        asked, {ctx.sleep.effective(), ctx.sleep.lowBatteryVanilla(), ctx.sleep.cutoffPercent()});
    if (asked.enabled && ctx.sleep.lowBatteryVanilla())
        reply.insert(QStringLiteral("code"), QStringLiteral("SLEEP_DISABLE_SUSPENDED_LOW_BATTERY"));
    else if (asked.enabled && ctx.sleep.inhibitorRefused())
        reply.insert(QStringLiteral("code"), QStringLiteral("SLEEP_INHIBITOR_UNAVAILABLE"));
    return reply;
}

} // namespace

void addNodeSleepCommands(NodeCommandTable& table)
{
    table.add(QStringLiteral("set_system_sleep_disabled"), setSystemSleepDisabled);
}

} // namespace vantrel::node
