#include "node/daemon/NodeDiagnosticBundle.h"

#include <cmath>
#include <variant>
#include <vector>

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>

#include "base/AtomicFile.h"
#include "base/JsonLines.h"
#include "daemonserver/DiagnosticExport.h"
#include "daemonserver/Replies.h"

namespace vantrel::node {

namespace {

using daemonserver::BundleFile;

QByteArray pretty(const QJsonObject& o) { return QJsonDocument(o).toJson(QJsonDocument::Indented); }

double rounded(double value) { return std::round(value * 100.0) / 100.0; }

QJsonObject systemSummary(NodeContext& ctx)
{
    QJsonObject summary = ctx.facts().toProfile();
    if (const auto t = ctx.cpuTemperature())
        summary.insert(QStringLiteral("cpu_temperature"), rounded(*t));
    const AdapterReading adapter = ctx.adapter();
    summary.insert(QStringLiteral("external_power_connected"), adapter.connected);
    if (!adapter.name.isEmpty())
        summary.insert(QStringLiteral("adapter"), adapter.name);
    if (const auto b = ctx.battery()) {
        QJsonObject battery{{QStringLiteral("name"), b->name}, {QStringLiteral("status"), b->status}};
        if (b->percent >= 0)
            battery.insert(QStringLiteral("percent"), b->percent);
        if (b->cycleCount >= 0)
            battery.insert(QStringLiteral("cycle_count"), b->cycleCount);
        if (std::isfinite(b->temperatureC))
            battery.insert(QStringLiteral("temperature_celsius"), rounded(b->temperatureC));
        summary.insert(QStringLiteral("battery"), battery);
    }
    return summary;
}

QJsonObject appRuntime(const NodeContext& ctx)
{
    return QJsonObject{
        {QStringLiteral("app_lease_active"), ctx.leaseActive()},
        {QStringLiteral("runtime_channel"), QStringLiteral("production")},
        {QStringLiteral("transition_fenced"), false},
        {QStringLiteral("uptime_seconds"), ctx.clock.uptimeSeconds()},
    };
}

QByteArray events(const NodeContext& ctx)
{
    std::vector<QJsonObject> records;
    for (const auto& e : ctx.events(200, QString()))
        records.push_back(e.toObject());
    for (const auto& e : ctx.diagnostics(200))
        records.push_back(e.toObject());
    return jsonl::encode(records);
}

// Each supply's uevent file under a heading; serial numbers identify the owner's battery and stay out.
QByteArray powerSupplies(const NodeContext& ctx)
{
    const QDir folder(ctx.supplies.folder());
    QByteArray out;
    for (const QString& name : folder.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::System, QDir::Name)) {
        out += "== " + name.toUtf8() + " ==\n";
        const auto uevent = readFile(folder.filePath(name + QStringLiteral("/uevent")), 64 * 1024);
        if (!uevent) {
            out += "(no uevent file)\n";
            continue;
        }
        for (const QByteArray& line : uevent->split('\n'))
            if (!line.isEmpty() && !line.startsWith("POWER_SUPPLY_SERIAL_NUMBER="))
                out += line + '\n';
    }
    return out.isEmpty() ? QByteArray("(no power supplies)\n") : out;
}

QJsonObject userSettings(const NodeContext& ctx)
{
    const auto loaded = ctx.userSettings.load();
    QJsonObject o{{QStringLiteral("path"), ctx.userSettings.path()}};
    switch (loaded.status) {
    case daemonserver::SettingsFile::LoadStatus::Loaded:
        o.insert(QStringLiteral("load_status"), QStringLiteral("loaded"));
        o.insert(QStringLiteral("settings"), loaded.settings);
        break;
    case daemonserver::SettingsFile::LoadStatus::Missing:
        o.insert(QStringLiteral("load_status"), QStringLiteral("missing"));
        break;
    case daemonserver::SettingsFile::LoadStatus::Invalid:
        o.insert(QStringLiteral("load_status"), QStringLiteral("invalid"));
        o.insert(QStringLiteral("error"), loaded.error);
        break;
    }
    return o;
}

} // namespace

const QStringList& nodeDiagnosticFiles()
{
    static const QStringList files{QStringLiteral("system_summary.json"),  QStringLiteral("app_runtime.json"),
                                   QStringLiteral("policy_snapshot.json"), QStringLiteral("events.jsonl"),
                                   QStringLiteral("power_supplies.txt"),   QStringLiteral("user_settings.json")};
    return files;
}

QJsonObject exportNodeDiagnosticBundle(NodeContext& ctx, const QJsonObject& request, const QJsonObject& policySnapshot)
{
    const auto parsed = daemonserver::parseDiagnosticExport(request);
    if (const auto* refusal = std::get_if<QJsonObject>(&parsed))
        return *refusal;
    const auto& r = std::get<daemonserver::DiagnosticBundleRequest>(parsed);
    ctx.refreshPower();
    const QList<BundleFile> files{
        {QStringLiteral("system_summary.json"), pretty(systemSummary(ctx))},
        {QStringLiteral("app_runtime.json"), pretty(appRuntime(ctx))},
        {QStringLiteral("policy_snapshot.json"), pretty(policySnapshot)},
        {QStringLiteral("events.jsonl"), events(ctx)},
        {QStringLiteral("power_supplies.txt"), powerSupplies(ctx)},
        {QStringLiteral("user_settings.json"), pretty(userSettings(ctx))},
    };
    QString error;
    const auto path = daemonserver::writeDiagnosticBundle(
        ctx.config.stateDirectory, ctx.clock.now(), r, files,
        r.includeProcessNames ? ctx.system->processNames(200) : QStringList(), &error);
    if (!path)
        return daemonserver::errorReply(QStringLiteral("ERR_DIAGNOSTIC_EXPORT_FAILED"),
                                        QStringLiteral("Diagnostic export failed: ") + error);
    ctx.diagnostic(QStringLiteral("info"), QStringLiteral("diagnostics"), QStringLiteral("Diagnostic bundle written"));
    return daemonserver::diagnosticExportReply(*path, r);
}

} // namespace vantrel::node
