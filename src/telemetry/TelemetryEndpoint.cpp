#include "telemetry/TelemetryEndpoint.h"

#include <QHostAddress>

#include "base/BuildInfo.h"
#include "base/Log.h"

#ifndef VANTREL_TELEMETRY_ENDPOINT_DEFAULT
#define VANTREL_TELEMETRY_ENDPOINT_DEFAULT ""
#endif

namespace vantrel {

QString TelemetryEndpoint::builtIn() { return QStringLiteral(VANTREL_TELEMETRY_ENDPOINT_DEFAULT); }

bool TelemetryEndpoint::isAcceptable(const QUrl& url)
{
    if (!url.isValid() || url.host().isEmpty() || !url.userInfo().isEmpty())
        return false;
    if (url.scheme() == QLatin1String("https"))
        return true;
    if (url.scheme() != QLatin1String("http"))
        return false;
    const QHostAddress address(url.host());
    return url.host() == QLatin1String("localhost") || (!address.isNull() && address.isLoopback());
}

std::optional<QUrl> TelemetryEndpoint::resolve(const QString& builtInEndpoint, const QString& override,
                                               bool overrideAllowed)
{
    const QString text
        = (overrideAllowed && !override.trimmed().isEmpty()) ? override.trimmed() : builtInEndpoint.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    const QUrl url(text, QUrl::StrictMode);
    if (!isAcceptable(url)) {
        logLine(QStringLiteral("[ActivityTelemetry] Ignoring unacceptable endpoint: ") + text);
        return std::nullopt;
    }
    return url;
}

std::optional<QUrl> TelemetryEndpoint::fromEnvironment()
{
    return resolve(builtIn(), qEnvironmentVariable(environmentKey), VANTREL_DEVELOPMENT_BUILD != 0);
}

} // namespace vantrel
