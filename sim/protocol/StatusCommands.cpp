// Read-backs, runtime ownership and the application's heartbeat.
#include "sim/model/HardwareDescription.h"
#include "sim/protocol/CommandTable.h"
#include "sim/protocol/Readbacks.h"

namespace vantrel::sim {

namespace {

QJsonObject ownershipReply(const SimContext& ctx)
{
    const bool debug = ctx.ownership == RuntimeOwnership::Debug;
    return okReply({{QStringLiteral("channel"), debug ? QStringLiteral("debug") : QStringLiteral("production")},
                    {QStringLiteral("transition_fenced"), ctx.ownership == RuntimeOwnership::Fenced}});
}

QJsonObject releaseDebugRuntime(SimContext& ctx, const QJsonObject&)
{
    if (ctx.ownership == RuntimeOwnership::Fenced)
        return errorReply(QStringLiteral("ERR_TRANSITION_FENCED"),
                          QStringLiteral("An ownership hand-over is in progress."));
    const bool released = ctx.ownership == RuntimeOwnership::Debug;
    ctx.ownership = RuntimeOwnership::Production;
    if (released)
        ctx.diagnostic(QStringLiteral("info"), QStringLiteral("runtime"),
                       QStringLiteral("Debug runtime released to production"));
    return okReply({{QStringLiteral("released"), released}, {QStringLiteral("channel"), QStringLiteral("production")}});
}

QJsonObject powerSourceInfo(SimContext& ctx, const QJsonObject&)
{
    const auto source = powerSourceDescription(ctx.mac);
    const auto registry = batteryRegistry(ctx.mac);
    return okReply(
        {{QStringLiteral("power_source"), source ? QJsonValue(*source) : QJsonValue(QJsonValue::Null)},
         {QStringLiteral("battery_registry"), registry ? QJsonValue(*registry) : QJsonValue(QJsonValue::Null)},
         {QStringLiteral("external_power_connected"), ctx.mac.adapterConnected()}});
}

} // namespace

void addStatusCommands(CommandTable& table)
{
    constexpr bool readOnly = false;
    constexpr bool quiet = true;
    table.add(
        QStringLiteral("get_status"), [](SimContext& ctx, const QJsonObject&) { return statusReadback(ctx); }, readOnly,
        quiet);
    table.add(
        QStringLiteral("get_system_snapshot"),
        [](SimContext& ctx, const QJsonObject&) { return systemSnapshotReadback(ctx); }, readOnly, quiet);
    table.add(
        QStringLiteral("get_power_policy_state"),
        [](SimContext& ctx, const QJsonObject&) { return powerPolicyReadback(ctx); }, readOnly, quiet);
    table.add(
        QStringLiteral("get_hardware_profile"),
        [](SimContext& ctx, const QJsonObject&) { return hardwareProfileReadback(ctx); }, readOnly, quiet);
    table.add(QStringLiteral("get_power_source_info"), powerSourceInfo, readOnly, quiet);
    table.add(
        QStringLiteral("get_runtime_ownership"),
        [](SimContext& ctx, const QJsonObject&) { return ownershipReply(ctx); }, readOnly, quiet);
    table.add(QStringLiteral("release_debug_runtime"), releaseDebugRuntime, readOnly);
    table.add(
        QStringLiteral("app_heartbeat"),
        [](SimContext& ctx, const QJsonObject&) {
        ctx.mac.recordHeartbeat();
        return okReply({{QStringLiteral("lease_seconds"), SimulatedMac::kAppLeaseSeconds}});
        },
        readOnly, quiet);
}

} // namespace vantrel::sim
