// System sleep held off on request, with the daemon's own low-battery cut-off.
#include <variant>

#include "daemonserver/SleepRequest.h"
#include "sim/protocol/CommandTable.h"

namespace vantrel::sim {

namespace {

QJsonObject setSystemSleepDisabled(SimContext& ctx, const QJsonObject& request)
{
    const auto parsed = daemonserver::parseSleepRequest(request);
    if (const auto* error = std::get_if<QJsonObject>(&parsed))
        return *error;
    const auto& asked = std::get<daemonserver::SleepRequest>(parsed);
    SimulatedMac& mac = ctx.mac;
    std::vector<PolicyEvent> events;
    mac.sleep().request(asked.enabled, asked.cutoffPercent, mac.sleepInputs(), events);
    for (const auto& e : events)
        mac.recordEvent(e);
    if (asked.persist)
        ctx.persistSleep();

    const SleepControl& sleep = mac.sleep();
    QJsonObject reply
        = daemonserver::sleepReply(asked, {sleep.effective(), sleep.lowBatteryVanilla(), sleep.cutoffPercent()});
    // Accepted, but the battery is below the cut-off: sleep stays at the macOS default for now.
    if (asked.enabled && !sleep.effective())
        reply.insert(QStringLiteral("code"), QStringLiteral("SLEEP_DISABLE_SUSPENDED_LOW_BATTERY"));
    return reply;
}

} // namespace

void addSleepCommands(CommandTable& table)
{
    table.add(QStringLiteral("set_system_sleep_disabled"), setSystemSleepDisabled);
}

} // namespace vantrel::sim
