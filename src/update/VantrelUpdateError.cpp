#include "update/VantrelUpdateError.h"

namespace vantrel {

std::optional<VantrelUpdateError> updateErrorFromDaemonReply(const QJsonObject& reply)
{
    if (reply.value(QStringLiteral("status")).toString() != QLatin1String("error"))
        return std::nullopt;
    if (reply.value(QStringLiteral("code")).toString() == QLatin1String("ERR_UNSUPPORTED_PLATFORM"))
        return VantrelUpdateError{VantrelUpdateError::Kind::unsupportedPlatform};
    return std::nullopt;
}

QString updateFailureStatusKey(const UpdateFailure& failure)
{
    if (const auto* update = std::get_if<VantrelUpdateError>(&failure)) {
        switch (update->kind) {
        case VantrelUpdateError::Kind::httpStatus:
            return update->httpCode == 404 || update->httpCode == 410
                ? QStringLiteral("settings.update.release_unavailable")
                : QStringLiteral("settings.update.server_unavailable");
        case VantrelUpdateError::Kind::alreadyUpToDate:
            return QStringLiteral("settings.update.no_update");
        case VantrelUpdateError::Kind::unsupportedPlatform:
            return QStringLiteral("settings.update.unsupported_platform");
        default:
            return QStringLiteral("settings.update.failed");
        }
    }
    const auto& download = std::get<UpdateDownloadFailure>(failure);
    if (download.error == UpdateDownloadError::cancelled)
        return QStringLiteral("settings.update.cancelled");
    if (download.networkError)
        return QStringLiteral("settings.update.network_failed");
    return QStringLiteral("settings.update.failed");
}

QString describeUpdateFailure(const UpdateFailure& failure)
{
    if (const auto* update = std::get_if<VantrelUpdateError>(&failure)) {
        switch (update->kind) {
        case VantrelUpdateError::Kind::httpStatus:
            return QStringLiteral("httpStatus(%1)").arg(update->httpCode);
        case VantrelUpdateError::Kind::invalidManifestURL:
            return QStringLiteral("invalidManifestURL");
        case VantrelUpdateError::Kind::invalidManifest:
            return QStringLiteral("invalidManifest");
        case VantrelUpdateError::Kind::untrustedManifest:
            return QStringLiteral("untrustedManifest");
        case VantrelUpdateError::Kind::invalidPackageName:
            return QStringLiteral("invalidPackageName");
        case VantrelUpdateError::Kind::downloadFailed:
            return QStringLiteral("downloadFailed");
        case VantrelUpdateError::Kind::sizeMismatch:
            return QStringLiteral("sizeMismatch");
        case VantrelUpdateError::Kind::daemonRejectedPackage:
            return QStringLiteral("daemonRejectedPackage");
        case VantrelUpdateError::Kind::alreadyUpToDate:
            return QStringLiteral("alreadyUpToDate");
        case VantrelUpdateError::Kind::unsupportedPlatform:
            return QStringLiteral("unsupportedPlatform");
        }
    }
    const auto& d = std::get<UpdateDownloadFailure>(failure);
    static const char* const names[]
        = {"untrustedResponse", "responseTooLarge", "downloadFailed", "sizeMismatch", "cancelled"};
    QString text = QLatin1String(names[static_cast<int>(d.error)]);
    if (d.httpStatus)
        text += QStringLiteral(" (HTTP %1)").arg(d.httpStatus);
    if (!d.detail.isEmpty())
        text += QStringLiteral(": ") + d.detail;
    return text;
}

} // namespace vantrel
