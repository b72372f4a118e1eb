#include "update/UpdateEndpoint.h"

#include "update/UpdateBuildSettings.h"

namespace vantrel {

bool UpdateEndpoint::isTrustedManifestURL() const
{
    const QUrl& u = manifestURL;
    return u.isValid() && u.scheme() == QLatin1String("https") && !u.host().isEmpty() && u.userInfo().isEmpty()
        && !u.hasQuery() && !u.hasFragment() && u.path(QUrl::FullyEncoded) == QLatin1String("/downloads/latest.json");
}

UpdateEndpoint UpdateEndpoint::buildSettings()
{
    return UpdateEndpoint{QUrl(QStringLiteral(VANTREL_UPDATE_MANIFEST_URL), QUrl::StrictMode),
                          QStringLiteral(VANTREL_UPDATE_CA_FILE)};
}

UpdateEndpoint UpdateEndpoint::fromEnvironment(const QProcessEnvironment& environment, bool allowOverride)
{
    UpdateEndpoint endpoint = buildSettings();
    if (!allowOverride)
        return endpoint;
    const QString url = environment.value(QStringLiteral("VANTREL_UPDATE_MANIFEST_URL"));
    if (!url.isEmpty())
        endpoint.manifestURL = QUrl(url, QUrl::StrictMode);
    const QString ca = environment.value(QStringLiteral("VANTREL_UPDATE_CA_FILE"));
    if (!ca.isEmpty())
        endpoint.caFile = ca;
    return endpoint;
}

} // namespace vantrel
