// Evidence and diagnostic events, the diagnostic package preview and its export.
#include <QJsonArray>
#include <QRegularExpression>

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
    QStringList files = diagnosticBundleFiles();
    if (names)
        files << QStringLiteral("process_summary.json");
    return okReply({
        {QStringLiteral("included_files"), QJsonArray::fromStringList(files)},
        {QStringLiteral("excluded_data"), QJsonArray::fromStringList(diagnosticExcludedData())},
        {QStringLiteral("upload_mode"), QStringLiteral("manual_user_send")},
        {QStringLiteral("automatic_cloud_flush"), false},
        {QStringLiteral("user_confirmed_required"), true},
        {QStringLiteral("user_review_required"), true},
        {QStringLiteral("include_process_names_default"), false},
        {QStringLiteral("process_summary_mode"), names ? QStringLiteral("names_only") : QStringLiteral("excluded")},
    });
}

QJsonObject exportBundle(SimContext& ctx, const QJsonObject& request)
{
    if (json::strictBool(request, QStringLiteral("user_confirmed")) != true)
        return errorReply(QStringLiteral("ERR_USER_CONFIRMATION_REQUIRED"),
                          QStringLiteral("The user has not confirmed the export."));
    if (json::strictBool(request, QStringLiteral("user_review_required")) != true)
        return errorReply(QStringLiteral("ERR_USER_REVIEW_REQUIRED"),
                          QStringLiteral("Bundles are only written for the user to review."));
    if (json::string(request, QStringLiteral("upload_mode")) != QLatin1String("manual_user_send"))
        return errorReply(QStringLiteral("ERR_UPLOAD_MODE_NOT_ALLOWED"),
                          QStringLiteral("Bundles are only sent by the user."));
    DiagnosticBundleRequest r;
    r.range = json::string(request, QStringLiteral("range")).value_or(QStringLiteral("recent"));
    r.purpose = json::string(request, QStringLiteral("purpose")).value_or(QString());
    r.reasonCode = json::string(request, QStringLiteral("reason_code")).value_or(QString());
    r.includeReportContext = json::strictBool(request, QStringLiteral("include_report_context")).value_or(false);
    r.includeProcessNames = json::strictBool(request, QStringLiteral("include_process_names")).value_or(false);
    if (request.contains(QStringLiteral("support_case_id"))) {
        // Only an identifier can go into the bundle; free text might carry personal data.
        static const QRegularExpression safe(QStringLiteral("^[A-Za-z0-9._-]{1,64}$"));
        const auto id = json::string(request, QStringLiteral("support_case_id"));
        if (!id || !safe.match(*id).hasMatch())
            return errorReply(QStringLiteral("ERR_REDACTION_FAILED"),
                              QStringLiteral("The support case id cannot be included safely."));
        r.supportCaseId = *id;
    }
    QString error;
    const auto path = writeDiagnosticBundle(ctx, r, &error);
    if (!path)
        return errorReply(QStringLiteral("ERR_DIAGNOSTIC_EXPORT_FAILED"),
                          QStringLiteral("Diagnostic export failed: ") + error);
    ctx.diagnostic(QStringLiteral("info"), QStringLiteral("diagnostics"), QStringLiteral("Diagnostic bundle written"));
    return okReply({
        {QStringLiteral("path"), *path},
        {QStringLiteral("manifest"), QStringLiteral("manifest.json")},
        {QStringLiteral("upload_mode"), QStringLiteral("manual_user_send")},
        {QStringLiteral("include_process_names"), r.includeProcessNames},
        {QStringLiteral("process_summary_mode"),
         r.includeProcessNames ? QStringLiteral("names_only") : QStringLiteral("excluded")},
        {QStringLiteral("automatic_cloud_flush"), false},
    });
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
