#include "sim/protocol/DiagnosticBundle.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>

#include "base/JsonLines.h"
#include "sim/protocol/Readbacks.h"

namespace vantrel::sim {

namespace {

QByteArray pretty(const QJsonObject& o) { return QJsonDocument(o).toJson(QJsonDocument::Indented); }

QJsonObject systemSummary(const SimContext& ctx)
{
    const MachineProfile& p = ctx.mac.profile();
    const SensorReadings s = ctx.mac.sensors();
    return QJsonObject{
        {QStringLiteral("model_identifier"), p.modelIdentifier},
        {QStringLiteral("marketing_name"), p.marketingName},
        {QStringLiteral("fan_count"), static_cast<int>(p.fans.size())},
        {QStringLiteral("has_battery"), p.hasBattery},
        {QStringLiteral("cpu_temperature"), rounded(s.cpuAverage)},
        {QStringLiteral("gpu_temperature"), rounded(s.gpu)},
        {QStringLiteral("system_power_watts"), rounded(ctx.mac.systemWatts())},
        {QStringLiteral("external_power_connected"), ctx.mac.adapterConnected()},
        {QStringLiteral("lid_closed"), ctx.mac.lidClosed()},
        {QStringLiteral("external_display_count"), ctx.mac.externalDisplays()},
    };
}

QJsonObject appRuntime(const SimContext& ctx)
{
    return QJsonObject{
        {QStringLiteral("app_lease_active"), ctx.mac.appLeaseActive()},
        {QStringLiteral("runtime_channel"),
         ctx.ownership == RuntimeOwnership::Debug ? QStringLiteral("debug") : QStringLiteral("production")},
        {QStringLiteral("transition_fenced"), ctx.ownership == RuntimeOwnership::Fenced},
        {QStringLiteral("uptime_seconds"), ctx.mac.uptimeSeconds()},
    };
}

} // namespace

const QStringList& simDiagnosticFiles()
{
    static const QStringList files{QStringLiteral("system_summary.json"), QStringLiteral("app_runtime.json"),
                                   QStringLiteral("policy_snapshot.json"), QStringLiteral("events.jsonl")};
    return files;
}

std::optional<QString> writeDiagnosticBundle(SimContext& ctx, const DiagnosticBundleRequest& request, QString* error)
{
    const auto when = QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(ctx.mac.epochSeconds() * 1000.0), Qt::UTC);
    std::vector<QJsonObject> events;
    for (const auto& e : ctx.mac.evidence().newest(200))
        events.push_back(e.toObject());
    for (const auto& e : ctx.diagnostics.newest(200))
        events.push_back(e.toObject());
    const QList<daemonserver::BundleFile> own{
        {QStringLiteral("system_summary.json"), pretty(systemSummary(ctx))},
        {QStringLiteral("app_runtime.json"), pretty(appRuntime(ctx))},
        {QStringLiteral("policy_snapshot.json"), pretty(powerPolicyReadback(ctx))},
        {QStringLiteral("events.jsonl"), jsonl::encode(events)},
    };
    return daemonserver::writeDiagnosticBundle(
        ctx.config.stateDirectory, when, request, own,
        request.includeProcessNames ? ctx.system->processNames(200) : QStringList(), error);
}

} // namespace vantrel::sim
