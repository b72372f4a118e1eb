// The release manifest as the update check reads it: decoded, then judged against a running
// installation with and without a known system version.
#include <cstdlib>
#include <variant>

#include <QUrl>

#include "FuzzSupport.h"
#include "update/VantrelReleaseManifest.h"
#include "update/VantrelUpdateManifestPolicy.h"
#include "update/VantrelUpdateVersionPolicy.h"

using namespace vantrel;

namespace {

UpdateCheckContext runningInstallation(std::optional<QString> osVersion)
{
    UpdateCheckContext context;
    context.endpoint.manifestURL = QUrl(QStringLiteral("https://downloads.example.test/downloads/latest.json"));
    context.installedVersion = QStringLiteral("1.2.0");
    context.installedBundleVersion = QStringLiteral("40");
    context.runningOSVersion = std::move(osVersion);
    return context;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::quietLogging();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const UpdateCheckContext withOS = runningInstallation(QStringLiteral("14.5"));
    static const UpdateCheckContext withoutOS = runningInstallation(std::nullopt);
    const QByteArray bytes = fuzz::bytesOf(data, size);
    const auto manifest = VantrelReleaseManifest::decode(bytes);
    const auto accepted = VantrelUpdateManifestPolicy::accept(bytes, withOS);
    // Nothing undecodable is ever accepted, and what is accepted is what was decoded.
    if (const auto* taken = std::get_if<VantrelReleaseManifest>(&accepted); taken && (!manifest || *taken != *manifest))
        std::abort();
    if (!manifest)
        return 0;
    (void)VantrelUpdateManifestPolicy::check(*manifest, withoutOS);
    (void)VantrelUpdateManifestPolicy::expectedFileName(manifest->version, manifest->bundleVersion);
    // Version order is antisymmetric whatever the texts hold.
    using V = VantrelUpdateVersionPolicy;
    const auto version = V::numericComponents(manifest->version);
    const auto minimum = V::numericComponents(manifest->minimumMacOS);
    if (version && minimum && V::compare(*version, *minimum) != -V::compare(*minimum, *version))
        std::abort();
    return 0;
}
