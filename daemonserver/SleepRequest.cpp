#include "daemonserver/SleepRequest.h"

#include "base/JsonAccess.h"
#include "daemonserver/Replies.h"

namespace vantrel::daemonserver {

std::variant<SleepRequest, QJsonObject> parseSleepRequest(const QJsonObject& request)
{
    const auto enabled = json::strictBool(request, QStringLiteral("enabled"));
    if (!enabled)
        return invalidArgument(QStringLiteral("enabled"), QStringLiteral("a boolean"));
    SleepRequest parsed{*enabled, std::nullopt, false};
    if (request.contains(QStringLiteral("battery_cutoff_percent"))) {
        const auto value = json::integer(request, QStringLiteral("battery_cutoff_percent"));
        if (!value || *value < 5 || *value > 95)
            return invalidArgument(QStringLiteral("battery_cutoff_percent"),
                                   QStringLiteral("an integer percent from 5 to 95"));
        parsed.cutoffPercent = static_cast<int>(*value);
    }
    parsed.persist = json::strictBool(request, QStringLiteral("persist_user_intent")).value_or(false);
    return parsed;
}

QJsonObject sleepReply(const SleepRequest& request, const SleepOutcome& outcome)
{
    return okReply({
        {QStringLiteral("requested_enabled"), request.enabled},
        {QStringLiteral("effective_enabled"), outcome.effective},
        {QStringLiteral("low_battery_vanilla_active"), outcome.lowBatteryVanilla},
        {QStringLiteral("battery_cutoff_percent"), outcome.cutoffPercent},
        {QStringLiteral("persisted"), request.persist},
    });
}

} // namespace vantrel::daemonserver
