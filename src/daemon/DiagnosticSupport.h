#pragma once
// The diagnostic package commands: what a preview promises, what an export request asks
// for, what an export produced, and why either was refused.
#include <optional>

#include <QJsonObject>
#include <QString>
#include <QStringList>

namespace vantrel {

struct DiagnosticSupportError {
    enum class Kind {
        UserConfirmationRequired,
        UserReviewRequired,
        UploadModeNotAllowed,
        RedactionFailed,
        ExportFailed,
        Unavailable
    };
    Kind kind = Kind::Unavailable;
    QString message; // ExportFailed only
    // A refusal from its "code" and "message"; no reply, an absent or unknown code give Unavailable.
    static DiagnosticSupportError fromReply(const std::optional<QJsonObject>& reply);
    bool operator==(const DiagnosticSupportError&) const = default;
};

struct DiagnosticPackagePreview {
    QStringList includedFiles;
    QStringList excludedData;
    QString uploadMode;
    bool automaticCloudFlush = false;
    bool userConfirmedRequired = true;
    bool userReviewRequired = true;
    bool includeProcessNamesDefault = false;
    QString processSummaryMode;
    // From an "ok" reply; every key absent or of another type takes its default.
    static DiagnosticPackagePreview fromReply(const QJsonObject& reply);
    bool operator==(const DiagnosticPackagePreview&) const = default;
};

struct DiagnosticExportRequest {
    QString range;
    QString purpose;
    bool includeReportContext = false;
    bool includeProcessNames = false;
    bool userConfirmed = false;
    bool userReviewRequired = true;
    QString uploadMode = QStringLiteral("manual_user_send");
    QString reasonCode;
    std::optional<QString> supportCaseId;

    // The "export_diagnostic_bundle" request.
    QJsonObject toRequest() const;
};

struct DiagnosticExportResult {
    QString path;
    QString manifest;
    QString uploadMode;
    bool includeProcessNames = false;
    QString processSummaryMode;
    bool automaticCloudFlush = false;
    // From an "ok" reply; nothing when "path" is missing.
    static std::optional<DiagnosticExportResult> fromReply(const QJsonObject& reply);
    bool operator==(const DiagnosticExportResult&) const = default;
};

} // namespace vantrel
