#pragma once
// The rules a release manifest must pass before its package is downloaded.
#include <optional>
#include <variant>

#include <QByteArray>
#include <QString>

#include "update/UpdateEndpoint.h"
#include "update/VantrelReleaseManifest.h"
#include "update/VantrelUpdateError.h"

namespace vantrel {

// What a manifest is judged against: where releases live, what is running, and the running
// operating system's version (nothing when the platform reports none).
struct UpdateCheckContext {
    UpdateEndpoint endpoint;
    QString installedVersion;
    QString installedBundleVersion;
    std::optional<QString> runningOSVersion;
};

class VantrelUpdateManifestPolicy {
public:
    static QString expectedFileName(const QString& version, const QString& bundleVersion);
    // One to three numeric components, and the running system is at least that version.
    static bool isSupportedMinimumMacOS(const QString& text, const std::optional<QString>& runningOSVersion);
    // https, the download host and port exactly, no user, password, query or fragment, and
    // a percent-encoded path under "/downloads/".
    static bool isTrustedArtifactURL(const QString& url, const UpdateEndpoint& endpoint);
    // The first rule the manifest breaks: invalidManifest, or alreadyUpToDate when it is fine
    // but not newer than what runs. Nothing when it is acceptable.
    static std::optional<VantrelUpdateError> check(const VantrelReleaseManifest& manifest,
                                                   const UpdateCheckContext& context);
    // Decoding and check together.
    static std::variant<VantrelReleaseManifest, VantrelUpdateError> accept(const QByteArray& bytes,
                                                                           const UpdateCheckContext& context);
};

} // namespace vantrel
