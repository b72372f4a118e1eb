// Evidence and diagnostic events, the diagnostic package preview and its export.
#include <variant>

#include <QJsonArray>

#include "base/JsonAccess.h"
#include "sim/protocol/CommandTable.h"
#include "sim/protocol/DiagnosticBundle.h"

namespace vantrel::sim {

namespace {

int limitOf(const QJsonObject& request)
{
    return static_cast<int>(std::clamp<qint64>(json::integer(request, QStringLiteral("limit")).value_or(50), 1, 500));
}

QJsonObject evidenceEvents(SimContext& ctx, const QJsonObject& request)
{
    const QString prefix = json::string(request, QStringLiteral("policy_prefix")).value_or(QString());
    const QJsonArray events = ctx.mac.evidence().newest(limitOf(request), prefix);
    return okReply({{QStringLiteral("events"), events}, {QStringLiteral("count"), events.size()}});
}

QJsonObject diagnosticEvents(SimContext& ctx, const QJsonObject& request)
{
    const QJsonArray events = ctx.diagnostics.newest(limitOf(request));
    return okReply({{QStringLiteral("events"), events}, {QStringLiteral("count"), events.size()}});
}

QJsonObject packagePreview(SimContext&, const QJsonObject& request)
{
    const bool names = json::strictBool(request, QStringLiteral("include_process_names")).value_or(false);
    return daemonserver::diagnosticPreviewReply(simDiagnosticFiles(), names);
}

QJsonObject exportBundle(SimContext& ctx, const QJsonObject& request)
{
    const auto parsed = daemonserver::parseDiagnosticExport(request);
    if (const auto* refusal = std::get_if<QJsonObject>(&parsed))
        return *refusal;
    const auto& r = std::get<DiagnosticBundleRequest>(parsed);
    QString error;
    const auto path = writeDiagnosticBundle(ctx, r, &error);
    if (!path)
        return errorReply(QStringLiteral("ERR_DIAGNOSTIC_EXPORT_FAILED"),
                          QStringLiteral("Diagnostic export failed: ") + error);
    ctx.diagnostic(QStringLiteral("info"), QStringLiteral("diagnostics"), QStringLiteral("Diagnostic bundle written"));
    return daemonserver::diagnosticExportReply(*path, r);
}

} // namespace

void addDiagnosticCommands(CommandTable& table)
{
    table.add(QStringLiteral("get_evidence_events"), evidenceEvents, false, true);
    table.add(QStringLiteral("get_diagnostic_events"), diagnosticEvents, false, true);
    table.add(QStringLiteral("get_diagnostic_package_preview"), packagePreview, false, true);
    table.add(QStringLiteral("export_diagnostic_bundle"), exportBundle, false);
}

} // namespace vantrel::sim
