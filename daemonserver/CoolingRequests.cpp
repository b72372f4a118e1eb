#include "daemonserver/CoolingRequests.h"

#include "base/JsonAccess.h"
#include "daemonserver/Replies.h"

namespace vantrel::daemonserver {

std::variant<SmartTargetsRequest, QJsonObject> parseSmartTargetsRequest(const QJsonObject& request)
{
    const auto targets = json::object(request, QStringLiteral("targets"));
    if (!targets)
        return invalidArgument(QStringLiteral("targets"), QStringLiteral("an object of temperatures"));
    for (auto it = targets->begin(); it != targets->end(); ++it) {
        const auto t = json::asDouble(it.value());
        if (!t || *t < 0 || *t > 120)
            return invalidArgument(QStringLiteral("targets"), QStringLiteral("temperatures from 0 to 120"));
    }
    return SmartTargetsRequest{*targets};
}

QJsonObject SurvivalThrottlingRequest::toJson() const
{
    return QJsonObject{{QStringLiteral("enabled"), enabled},
                       {QStringLiteral("threshold"), threshold},
                       {QStringLiteral("cooldown_target"), cooldownTarget}};
}

std::variant<SurvivalThrottlingRequest, QJsonObject> parseSurvivalThrottlingRequest(const QJsonObject& request)
{
    const auto enabled = json::strictBool(request, QStringLiteral("enabled"));
    if (!enabled)
        return invalidArgument(QStringLiteral("enabled"), QStringLiteral("a boolean"));
    const auto threshold = json::number(request, QStringLiteral("threshold"));
    if (!threshold || *threshold < 50 || *threshold > 110)
        return invalidArgument(QStringLiteral("threshold"), QStringLiteral("a temperature from 50 to 110"));
    const auto cooldown = json::number(request, QStringLiteral("cooldown_target"));
    if (!cooldown || *cooldown >= *threshold)
        return invalidArgument(QStringLiteral("cooldown_target"), QStringLiteral("a temperature below the threshold"));
    return SurvivalThrottlingRequest{*enabled, *threshold, *cooldown};
}

} // namespace vantrel::daemonserver
