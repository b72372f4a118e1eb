#include "sim/protocol/DiagnosticBundle.h"

#include <QDateTime>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QUuid>

#include "base/AtomicFile.h"
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

QString supportNote(const DiagnosticBundleRequest& r)
{
    QString note = QStringLiteral("# Vantrel diagnostic bundle\n\nPurpose: %1\nRange: %2\nReason: %3\n")
                       .arg(r.purpose, r.range, r.reasonCode);
    if (r.supportCaseId)
        note += QStringLiteral("Support case: %1\n").arg(*r.supportCaseId);
    note += QStringLiteral("\nReview every file before you send this folder; nothing is uploaded automatically.\n");
    return note;
}

const char* kPrivacyNotice
    = "This bundle was written on your request and stays on this computer until you send it yourself.\n"
      "It holds hardware readings, policy settings and daemon events. It never holds documents, screenshots,\n"
      "shell or browser history, tokens, secrets or webhook addresses; process names only when you asked for them.\n";

} // namespace

const QStringList& diagnosticBundleFiles()
{
    static const QStringList files{QStringLiteral("manifest.json"),    QStringLiteral("system_summary.json"),
                                   QStringLiteral("app_runtime.json"), QStringLiteral("policy_snapshot.json"),
                                   QStringLiteral("events.jsonl"),     QStringLiteral("permissions.json"),
                                   QStringLiteral("support_note.md"),  QStringLiteral("privacy_notice.txt")};
    return files;
}

const QStringList& diagnosticExcludedData()
{
    static const QStringList data{
        QStringLiteral("user_documents"),          QStringLiteral("screenshots"), QStringLiteral("shell_history"),
        QStringLiteral("browser_history"),         QStringLiteral("tokens"),      QStringLiteral("secrets"),
        QStringLiteral("process_names_by_default")};
    return data;
}

std::optional<QString> writeDiagnosticBundle(SimContext& ctx, const DiagnosticBundleRequest& request, QString* error)
{
    const auto when = QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(ctx.mac.epochSeconds() * 1000.0), Qt::UTC);
    const QString name = QStringLiteral("vantrel-diagnostics-%1-%2")
                             .arg(when.toString(QStringLiteral("yyyyMMdd-HHmmss")),
                                  QUuid::createUuid().toString(QUuid::WithoutBraces).left(8));
    const QString dir = ctx.config.stateDirectory + QStringLiteral("/diagnostics/") + name;
    if (!QDir().mkpath(dir)) {
        if (error)
            *error = QStringLiteral("cannot create ") + dir;
        return std::nullopt;
    }
    QStringList files = diagnosticBundleFiles();
    std::vector<QJsonObject> events;
    for (const auto& e : ctx.mac.evidence().newest(200))
        events.push_back(e.toObject());
    for (const auto& e : ctx.diagnostics.newest(200))
        events.push_back(e.toObject());
    const QJsonObject permissions{{QStringLiteral("process_names_included"), request.includeProcessNames},
                                  {QStringLiteral("report_context_included"), request.includeReportContext},
                                  {QStringLiteral("upload_mode"), QStringLiteral("manual_user_send")}};
    QList<std::pair<QString, QByteArray>> contents{
        {QStringLiteral("system_summary.json"), pretty(systemSummary(ctx))},
        {QStringLiteral("app_runtime.json"), pretty(appRuntime(ctx))},
        {QStringLiteral("policy_snapshot.json"), pretty(powerPolicyReadback(ctx))},
        {QStringLiteral("events.jsonl"), jsonl::encode(events)},
        {QStringLiteral("permissions.json"), pretty(permissions)},
        {QStringLiteral("support_note.md"), supportNote(request).toUtf8()},
        {QStringLiteral("privacy_notice.txt"), QByteArray(kPrivacyNotice)},
    };
    if (request.includeProcessNames) {
        files << QStringLiteral("process_summary.json");
        contents.append({QStringLiteral("process_summary.json"),
                         pretty(QJsonObject{{QStringLiteral("process_names"),
                                             QJsonArray::fromStringList(ctx.system->processNames(200))}})});
    }
    QJsonObject manifest{
        {QStringLiteral("schema_version"), QStringLiteral("vantrel_diagnostic_bundle.v1")},
        {QStringLiteral("created_at"), when.toString(Qt::ISODate)},
        {QStringLiteral("range"), request.range},
        {QStringLiteral("purpose"), request.purpose},
        {QStringLiteral("reason_code"), request.reasonCode},
        {QStringLiteral("files"), QJsonArray::fromStringList(files)},
        {QStringLiteral("excluded_data"), QJsonArray::fromStringList(diagnosticExcludedData())},
        {QStringLiteral("upload_mode"), QStringLiteral("manual_user_send")},
    };
    if (request.supportCaseId)
        manifest.insert(QStringLiteral("support_case_id"), *request.supportCaseId);
    contents.prepend({QStringLiteral("manifest.json"), pretty(manifest)});
    for (const auto& [file, bytes] : contents)
        if (!writeFileAtomically(dir + QLatin1Char('/') + file, bytes, std::nullopt, error))
            return std::nullopt;
    return dir;
}

} // namespace vantrel::sim
