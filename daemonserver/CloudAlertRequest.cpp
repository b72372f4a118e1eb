#include "daemonserver/CloudAlertRequest.h"

#include "base/JsonAccess.h"
#include "daemonserver/Replies.h"

namespace vantrel::daemonserver {

QJsonObject CloudAlertSettings::toJson() const
{
    return QJsonObject{{QStringLiteral("enabled"), enabled},
                       {QStringLiteral("user_id"), userId},
                       {QStringLiteral("webhook_url"), webhookUrl},
                       {QStringLiteral("interval_seconds"), intervalSeconds}};
}

std::variant<CloudAlertSettings, QJsonObject> parseCloudAlertRequest(const QJsonObject& request)
{
    const auto enabled = json::strictBool(request, QStringLiteral("enabled"));
    const auto user = json::string(request, QStringLiteral("user_id"));
    const auto url = json::string(request, QStringLiteral("webhook_url"));
    const auto interval = json::integer(request, QStringLiteral("interval_seconds"));
    if (!enabled)
        return invalidArgument(QStringLiteral("enabled"), QStringLiteral("a boolean"));
    if (!user || !url)
        return invalidArgument(!user ? QStringLiteral("user_id") : QStringLiteral("webhook_url"),
                               QStringLiteral("a string"));
    if (!interval || *interval < 60 || *interval > 86400)
        return invalidArgument(QStringLiteral("interval_seconds"), QStringLiteral("an integer from 60 to 86400"));
    if (*enabled && !url->startsWith(QLatin1String("https://")))
        return errorReply(QStringLiteral("ERR_WEBHOOK_NOT_HTTPS"),
                          QStringLiteral("Alerts are sent only to https:// addresses."),
                          {{QStringLiteral("reason"), QStringLiteral("webhook_not_https")}});
    return CloudAlertSettings{*enabled, *user, *url, *interval};
}

QJsonObject applyCloudAlertRequest(const QJsonObject& request, const std::function<void(const QJsonObject&)>& keep)
{
    const auto parsed = parseCloudAlertRequest(request);
    if (const auto* error = std::get_if<QJsonObject>(&parsed))
        return *error;
    const auto& settings = std::get<CloudAlertSettings>(parsed);
    keep(settings.toJson());
    return okReply({{QStringLiteral("enabled"), settings.enabled}});
}

} // namespace vantrel::daemonserver
