#include "daemonserver/DiagnosticExport.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QUuid>

#include "base/AtomicFile.h"
#include "base/JsonAccess.h"
#include "daemonserver/Replies.h"

namespace vantrel::daemonserver {

namespace {

QByteArray pretty(const QJsonObject& o) { return QJsonDocument(o).toJson(QJsonDocument::Indented); }

QString processSummaryMode(bool names) { return names ? QStringLiteral("names_only") : QStringLiteral("excluded"); }

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

std::variant<DiagnosticBundleRequest, QJsonObject> parseDiagnosticExport(const QJsonObject& request)
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
    return r;
}

const QStringList& diagnosticExcludedData()
{
    static const QStringList data{
        QStringLiteral("user_documents"),          QStringLiteral("screenshots"), QStringLiteral("shell_history"),
        QStringLiteral("browser_history"),         QStringLiteral("tokens"),      QStringLiteral("secrets"),
        QStringLiteral("process_names_by_default")};
    return data;
}

QStringList diagnosticBundleFiles(const QStringList& ownFiles, bool processNames)
{
    QStringList files{QStringLiteral("manifest.json")};
    files << ownFiles << QStringLiteral("permissions.json") << QStringLiteral("support_note.md")
          << QStringLiteral("privacy_notice.txt");
    if (processNames)
        files << QStringLiteral("process_summary.json");
    return files;
}

QJsonObject diagnosticPreviewReply(const QStringList& ownFiles, bool processNames)
{
    return okReply({
        {QStringLiteral("included_files"), QJsonArray::fromStringList(diagnosticBundleFiles(ownFiles, processNames))},
        {QStringLiteral("excluded_data"), QJsonArray::fromStringList(diagnosticExcludedData())},
        {QStringLiteral("upload_mode"), QStringLiteral("manual_user_send")},
        {QStringLiteral("automatic_cloud_flush"), false},
        {QStringLiteral("user_confirmed_required"), true},
        {QStringLiteral("user_review_required"), true},
        {QStringLiteral("include_process_names_default"), false},
        {QStringLiteral("process_summary_mode"), processSummaryMode(processNames)},
    });
}

std::optional<QString> writeDiagnosticBundle(const QString& stateDirectory, const QDateTime& when,
                                             const DiagnosticBundleRequest& request, const QList<BundleFile>& ownFiles,
                                             const QStringList& processNames, QString* error)
{
    const QString name = QStringLiteral("vantrel-diagnostics-%1-%2")
                             .arg(when.toUTC().toString(QStringLiteral("yyyyMMdd-HHmmss")),
                                  QUuid::createUuid().toString(QUuid::WithoutBraces).left(8));
    const QString dir = stateDirectory + QStringLiteral("/diagnostics/") + name;
    if (!QDir().mkpath(dir)) {
        if (error)
            *error = QStringLiteral("cannot create ") + dir;
        return std::nullopt;
    }
    QStringList own;
    for (const auto& [file, bytes] : ownFiles)
        own << file;
    QJsonObject manifest{
        {QStringLiteral("schema_version"), QStringLiteral("vantrel_diagnostic_bundle.v1")},
        {QStringLiteral("created_at"), when.toUTC().toString(Qt::ISODate)},
        {QStringLiteral("range"), request.range},
        {QStringLiteral("purpose"), request.purpose},
        {QStringLiteral("reason_code"), request.reasonCode},
        {QStringLiteral("files"), QJsonArray::fromStringList(diagnosticBundleFiles(own, request.includeProcessNames))},
        {QStringLiteral("excluded_data"), QJsonArray::fromStringList(diagnosticExcludedData())},
        {QStringLiteral("upload_mode"), QStringLiteral("manual_user_send")},
    };
    if (request.supportCaseId)
        manifest.insert(QStringLiteral("support_case_id"), *request.supportCaseId);
    const QJsonObject permissions{{QStringLiteral("process_names_included"), request.includeProcessNames},
                                  {QStringLiteral("report_context_included"), request.includeReportContext},
                                  {QStringLiteral("upload_mode"), QStringLiteral("manual_user_send")}};
    QList<BundleFile> contents{{QStringLiteral("manifest.json"), pretty(manifest)}};
    contents << ownFiles;
    contents << BundleFile{QStringLiteral("permissions.json"), pretty(permissions)}
             << BundleFile{QStringLiteral("support_note.md"), supportNote(request).toUtf8()}
             << BundleFile{QStringLiteral("privacy_notice.txt"), QByteArray(kPrivacyNotice)};
    if (request.includeProcessNames)
        contents << BundleFile{
            QStringLiteral("process_summary.json"),
            pretty(QJsonObject{{QStringLiteral("process_names"), QJsonArray::fromStringList(processNames)}})};
    for (const auto& [file, bytes] : contents)
        if (!writeFileAtomically(dir + QLatin1Char('/') + file, bytes, std::nullopt, error))
            return std::nullopt;
    return dir;
}

QJsonObject diagnosticExportReply(const QString& path, const DiagnosticBundleRequest& request)
{
    return okReply({
        {QStringLiteral("path"), path},
        {QStringLiteral("manifest"), QStringLiteral("manifest.json")},
        {QStringLiteral("upload_mode"), QStringLiteral("manual_user_send")},
        {QStringLiteral("include_process_names"), request.includeProcessNames},
        {QStringLiteral("process_summary_mode"), processSummaryMode(request.includeProcessNames)},
        {QStringLiteral("automatic_cloud_flush"), false},
    });
}

} // namespace vantrel::daemonserver
