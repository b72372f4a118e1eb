#pragma once
// How a preparation of an update can fail: the update's own errors and those of one transfer.
#include <optional>
#include <variant>

#include <QJsonObject>
#include <QString>

namespace vantrel {

struct VantrelUpdateError {
    enum class Kind {
        httpStatus,
        invalidManifestURL,
        invalidManifest,
        untrustedManifest,
        invalidPackageName,
        downloadFailed,
        sizeMismatch,
        daemonRejectedPackage,
        alreadyUpToDate,
        // The daemon installs no updates on this platform: packages come from the distribution.
        unsupportedPlatform
    };
    Kind kind = Kind::downloadFailed;
    int httpCode = 0; // for httpStatus
    bool operator==(const VantrelUpdateError&) const = default;
};

enum class UpdateDownloadError {
    untrustedResponse,
    responseTooLarge,
    downloadFailed,
    sizeMismatch,
    cancelled
};

struct UpdateDownloadFailure {
    UpdateDownloadError error = UpdateDownloadError::downloadFailed;
    // The status of a response that was refused (0 when none arrived).
    int httpStatus = 0;
    // The connection itself failed (refused, unreachable, TLS, stalled), not the server's answer.
    bool networkError = false;
    QString detail;
};

using UpdateFailure = std::variant<VantrelUpdateError, UpdateDownloadFailure>;

// The error a refusing daemon reply names, when it is one the update flow handles on its own
// (status "error" with code "ERR_UNSUPPORTED_PLATFORM").
std::optional<VantrelUpdateError> updateErrorFromDaemonReply(const QJsonObject& reply);

// The settings page's status key for a failed preparation.
QString updateFailureStatusKey(const UpdateFailure& failure);
// A short English description for the log.
QString describeUpdateFailure(const UpdateFailure& failure);

} // namespace vantrel
