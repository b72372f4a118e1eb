#include "update/VantrelUpdateManifestPolicy.h"

#include <QRegularExpression>
#include <QUrl>

#include "update/VantrelPreparedUpdate.h"
#include "update/VantrelUpdateVersionPolicy.h"

namespace vantrel {

namespace {

constexpr qint64 kMaximumPackageBytes = 524288000; // 500 MiB

} // namespace

QString VantrelUpdateManifestPolicy::expectedFileName(const QString& version, const QString& bundleVersion)
{
    const QStringList pieces = version.split(QLatin1Char('.'), Qt::KeepEmptyParts);
    const bool allNonEmpty = std::none_of(pieces.begin(), pieces.end(), [](const QString& p) { return p.isEmpty(); });
    if (bundleVersion == QLatin1String("1") && pieces.size() >= 5 && allNonEmpty)
        return QStringLiteral("Vantrel-%1.pkg").arg(version);
    return QStringLiteral("Vantrel-%1.%2.pkg").arg(version, bundleVersion);
}

bool VantrelUpdateManifestPolicy::isSupportedMinimumMacOS(const QString& text,
                                                          const std::optional<QString>& runningOSVersion)
{
    const auto minimum = VantrelUpdateVersionPolicy::numericComponents(text);
    if (!minimum || minimum->isEmpty() || minimum->size() > 3 || !runningOSVersion)
        return false;
    const auto running = VantrelUpdateVersionPolicy::numericComponents(*runningOSVersion);
    if (!running)
        return false;
    return VantrelUpdateVersionPolicy::compare(*running, *minimum) >= 0;
}

bool VantrelUpdateManifestPolicy::isTrustedArtifactURL(const QString& url, const UpdateEndpoint& endpoint)
{
    const QUrl u(url, QUrl::StrictMode);
    return u.isValid() && u.scheme() == QLatin1String("https") && !endpoint.downloadHost().isEmpty()
        && u.host() == endpoint.downloadHost() && u.port() == endpoint.downloadPort() && u.userName().isEmpty()
        && u.password().isEmpty() && !u.hasQuery() && !u.hasFragment()
        && u.path(QUrl::FullyEncoded).startsWith(QLatin1String("/downloads/"));
}

std::optional<VantrelUpdateError> VantrelUpdateManifestPolicy::check(const VantrelReleaseManifest& m,
                                                                     const UpdateCheckContext& context)
{
    const VantrelUpdateError invalid{VantrelUpdateError::Kind::invalidManifest};
    if (m.schemaVersion != QLatin1String("vantrel_release_manifest.v1") || m.channel != QLatin1String("stable")
        || m.platform != QLatin1String("macos"))
        return invalid;
    using V = VantrelUpdateVersionPolicy;
    if (!V::numericComponents(m.version) || !V::numericComponents(m.bundleVersion)
        || !V::numericComponents(m.minimumMacOS))
        return invalid;
    if (m.artifact.sizeBytes < 1 || m.artifact.sizeBytes > kMaximumPackageBytes)
        return invalid;
    static const QRegularExpression sha(QStringLiteral("^[a-fA-F0-9]{64}$"));
    if (!sha.match(m.artifact.sha256).hasMatch())
        return invalid;
    if (!isTrustedArtifactURL(m.artifact.url, context.endpoint))
        return invalid;
    if (m.artifact.fileName != expectedFileName(m.version, m.bundleVersion))
        return invalid;
    if (!isSupportedMinimumMacOS(m.minimumMacOS, context.runningOSVersion))
        return invalid;
    if (!VantrelPreparedUpdate::isNewerThanInstalled(m, context.installedVersion, context.installedBundleVersion))
        return VantrelUpdateError{VantrelUpdateError::Kind::alreadyUpToDate};
    return std::nullopt;
}

std::variant<VantrelReleaseManifest, VantrelUpdateError>
VantrelUpdateManifestPolicy::accept(const QByteArray& bytes, const UpdateCheckContext& context)
{
    auto manifest = VantrelReleaseManifest::decode(bytes);
    if (!manifest)
        return VantrelUpdateError{VantrelUpdateError::Kind::invalidManifest};
    if (auto error = check(*manifest, context))
        return *error;
    return *manifest;
}

} // namespace vantrel
