#pragma once
// What both daemons share about "export_diagnostic_bundle": the request's checks, the folder
// the bundle goes into with its manifest and the files every bundle holds, and the reply.
// Each daemon adds its own files about the machine it answers for. Secrets (webhook
// address, user id) never go in.
#include <optional>
#include <utility>
#include <variant>

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

namespace vantrel::daemonserver {

struct DiagnosticBundleRequest {
    QString range;
    QString purpose;
    QString reasonCode;
    bool includeReportContext = false;
    bool includeProcessNames = false;
    std::optional<QString> supportCaseId;
};

// The request when the user confirmed it, reviews the bundle and sends it by hand, and any
// support case id is a plain identifier; else the refusal reply.
std::variant<DiagnosticBundleRequest, QJsonObject> parseDiagnosticExport(const QJsonObject& request);

const QStringList& diagnosticExcludedData();

// The files of a bundle in order: manifest.json, the daemon's own files, then
// permissions.json, support_note.md, privacy_notice.txt and, with process names,
// process_summary.json.
QStringList diagnosticBundleFiles(const QStringList& ownFiles, bool processNames);

// "get_diagnostic_package_preview" for a daemon whose bundles hold ownFiles.
QJsonObject diagnosticPreviewReply(const QStringList& ownFiles, bool processNames);

using BundleFile = std::pair<QString, QByteArray>;

// Writes <stateDirectory>/diagnostics/vantrel-diagnostics-<time>-<id>/ with ownFiles and the
// shared ones (processNames fills process_summary.json when the request asks for names).
// Returns the folder, or nothing with the reason in *error.
std::optional<QString> writeDiagnosticBundle(const QString& stateDirectory, const QDateTime& when,
                                             const DiagnosticBundleRequest& request, const QList<BundleFile>& ownFiles,
                                             const QStringList& processNames, QString* error);

// The "ok" reply for a bundle written at path.
QJsonObject diagnosticExportReply(const QString& path, const DiagnosticBundleRequest& request);

} // namespace vantrel::daemonserver
