// System sleep held off on request, with the daemon's own low-battery cut-off.
#include "base/JsonAccess.h"
#include "sim/protocol/CommandTable.h"

namespace vantrel::sim {

namespace {

QJsonObject setSystemSleepDisabled(SimContext& ctx, const QJsonObject& request)
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

    SimulatedMac& mac = ctx.mac;
    std::vector<PolicyEvent> events;
    mac.sleep().request(*enabled, cutoff, mac.sleepInputs(), events);
    for (const auto& e : events)
        mac.recordEvent(e);
    if (persist)
        ctx.persistSleep();

    const SleepControl& sleep = mac.sleep();
    QJsonObject reply = okReply({
        {QStringLiteral("requested_enabled"), *enabled},
        {QStringLiteral("effective_enabled"), sleep.effective()},
        {QStringLiteral("low_battery_vanilla_active"), sleep.lowBatteryVanilla()},
        {QStringLiteral("battery_cutoff_percent"), sleep.cutoffPercent()},
        {QStringLiteral("persisted"), persist},
    });
    // Accepted, but the battery is below the cut-off: sleep stays at the macOS default for now.
    if (*enabled && !sleep.effective())
        reply.insert(QStringLiteral("code"), QStringLiteral("SLEEP_DISABLE_SUSPENDED_LOW_BATTERY"));
    return reply;
}

} // namespace

void addSleepCommands(CommandTable& table)
{
    table.add(QStringLiteral("set_system_sleep_disabled"), setSystemSleepDisabled);
}

} // namespace vantrel::sim
