#include "daemon/DiagnosticSupport.h"

#include <QJsonArray>

#include "base/JsonAccess.h"

namespace vantrel {
namespace {

const QString kManualUserSend = QStringLiteral("manual_user_send");
const QString kExcluded = QStringLiteral("excluded");

// A list of strings; a missing key, a non-array or any non-string element gives the default.
QStringList stringList(const QJsonObject& reply, const QString& key, const QStringList& fallback)
{
    const auto array = json::array(reply, key);
    if (!array)
        return fallback;
    QStringList out;
    for (const QJsonValue& element : *array) {
        if (!element.isString())
            return fallback;
        out << element.toString();
    }
    return out;
}

} // namespace

DiagnosticSupportError DiagnosticSupportError::fromReply(const std::optional<QJsonObject>& reply)
{
    DiagnosticSupportError error;
    if (!reply)
        return error;
    const QString code = json::string(*reply, QStringLiteral("code")).value_or(QString());
    if (code == QStringLiteral("ERR_USER_CONFIRMATION_REQUIRED")) {
        error.kind = Kind::UserConfirmationRequired;
    } else if (code == QStringLiteral("ERR_USER_REVIEW_REQUIRED")) {
        error.kind = Kind::UserReviewRequired;
    } else if (code == QStringLiteral("ERR_UPLOAD_MODE_NOT_ALLOWED")) {
        error.kind = Kind::UploadModeNotAllowed;
    } else if (code == QStringLiteral("ERR_REDACTION_FAILED")) {
        error.kind = Kind::RedactionFailed;
    } else if (code == QStringLiteral("ERR_DIAGNOSTIC_EXPORT_FAILED")) {
        error.kind = Kind::ExportFailed;
        error.message
            = json::string(*reply, QStringLiteral("message")).value_or(QStringLiteral("Diagnostic export failed."));
    }
    return error;
}

DiagnosticPackagePreview DiagnosticPackagePreview::fromReply(const QJsonObject& reply)
{
    static const QStringList defaultIncluded
        = {QStringLiteral("manifest.json"),    QStringLiteral("system_summary.json"),
           QStringLiteral("app_runtime.json"), QStringLiteral("policy_snapshot.json"),
           QStringLiteral("events.jsonl"),     QStringLiteral("permissions.json"),
           QStringLiteral("support_note.md"),  QStringLiteral("privacy_notice.txt")};
    static const QStringList defaultExcluded
        = {QStringLiteral("user_documents"),          QStringLiteral("screenshots"), QStringLiteral("shell_history"),
           QStringLiteral("browser_history"),         QStringLiteral("tokens"),      QStringLiteral("secrets"),
           QStringLiteral("process_names_by_default")};

    DiagnosticPackagePreview preview;
    preview.includedFiles = stringList(reply, QStringLiteral("included_files"), defaultIncluded);
    preview.excludedData = stringList(reply, QStringLiteral("excluded_data"), defaultExcluded);
    preview.uploadMode = json::string(reply, QStringLiteral("upload_mode")).value_or(kManualUserSend);
    preview.automaticCloudFlush = json::strictBool(reply, QStringLiteral("automatic_cloud_flush")).value_or(false);
    preview.userConfirmedRequired = json::strictBool(reply, QStringLiteral("user_confirmed_required")).value_or(true);
    preview.userReviewRequired = json::strictBool(reply, QStringLiteral("user_review_required")).value_or(true);
    preview.includeProcessNamesDefault
        = json::strictBool(reply, QStringLiteral("include_process_names_default")).value_or(false);
    preview.processSummaryMode = json::string(reply, QStringLiteral("process_summary_mode")).value_or(kExcluded);
    return preview;
}

QJsonObject DiagnosticExportRequest::toRequest() const
{
    QJsonObject request{
        {QStringLiteral("cmd"), QStringLiteral("export_diagnostic_bundle")},
        {QStringLiteral("range"), range},
        {QStringLiteral("purpose"), purpose},
        {QStringLiteral("include_report_context"), includeReportContext},
        {QStringLiteral("include_process_names"), includeProcessNames},
        {QStringLiteral("user_confirmed"), userConfirmed},
        {QStringLiteral("user_review_required"), userReviewRequired},
        {QStringLiteral("upload_mode"), uploadMode},
        {QStringLiteral("reason_code"), reasonCode},
    };
    if (supportCaseId)
        request.insert(QStringLiteral("support_case_id"), *supportCaseId);
    return request;
}

std::optional<DiagnosticExportResult> DiagnosticExportResult::fromReply(const QJsonObject& reply)
{
    const auto path = json::string(reply, QStringLiteral("path"));
    if (!path)
        return std::nullopt;
    DiagnosticExportResult result;
    result.path = *path;
    result.manifest = json::string(reply, QStringLiteral("manifest")).value_or(QStringLiteral("manifest.json"));
    result.uploadMode = json::string(reply, QStringLiteral("upload_mode")).value_or(kManualUserSend);
    result.includeProcessNames = json::strictBool(reply, QStringLiteral("include_process_names")).value_or(false);
    result.processSummaryMode = json::string(reply, QStringLiteral("process_summary_mode")).value_or(kExcluded);
    result.automaticCloudFlush = json::strictBool(reply, QStringLiteral("automatic_cloud_flush")).value_or(false);
    return result;
}

} // namespace vantrel
