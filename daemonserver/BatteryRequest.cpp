#include "daemonserver/BatteryRequest.h"

#include "base/JsonAccess.h"
#include "daemonserver/Replies.h"

namespace vantrel::daemonserver {

namespace {

bool limitInRange(qint64 limit) { return limit >= 20 && limit <= 100; }

QJsonObject invalidLimit()
{
    return invalidBatteryConfig(QStringLiteral("invalid_limit"),
                                QStringLiteral("The charge limit must be an integer from 20 to 100."));
}

} // namespace

QJsonObject invalidBatteryConfig(const QString& reason, const QString& message)
{
    return errorReply(QStringLiteral("ERR_INVALID_BATTERY_CONFIG"), message, {{QStringLiteral("reason"), reason}});
}

std::variant<BatteryConfig, QJsonObject> parseBatteryRequest(const QJsonObject& r)
{
    BatteryConfig c;
    const auto enabled = json::strictBool(r, QStringLiteral("enabled"));
    const auto limit = json::integer(r, QStringLiteral("limit"));
    const auto protector = json::strictBool(r, QStringLiteral("charge_protector"));
    const auto drop = json::integer(r, QStringLiteral("drop"));
    const auto heat = json::strictBool(r, QStringLiteral("heat_protect"));
    const auto maxTemp = json::number(r, QStringLiteral("max_temp"));
    const auto drain = json::strictBool(r, QStringLiteral("safety_drain"));
    const auto mode = json::string(r, QStringLiteral("safety_drain_target_mode"));
    if (!enabled || !protector || !heat || !drain)
        return invalidBatteryConfig(
            QStringLiteral("invalid_flags"),
            QStringLiteral("enabled, charge_protector, heat_protect and safety_drain must be booleans."));
    if (!limit || !limitInRange(*limit))
        return invalidLimit();
    if (!drop || *drop < 1 || *drop > 50)
        return invalidBatteryConfig(QStringLiteral("invalid_drop"),
                                    QStringLiteral("The protector drop must be an integer from 1 to 50."));
    if (!maxTemp || *maxTemp < 25 || *maxTemp > 60)
        return invalidBatteryConfig(QStringLiteral("invalid_max_temp"),
                                    QStringLiteral("The heat-protection threshold must be from 25 to 60 °C."));
    if (!mode || (*mode != QLatin1String("charge_limit") && *mode != QLatin1String("fixed")))
        return invalidBatteryConfig(QStringLiteral("invalid_safety_drain_target_mode"),
                                    QStringLiteral("safety_drain_target_mode must be \"charge_limit\" or \"fixed\"."));
    if (*mode == QLatin1String("fixed")) {
        const auto target = json::integer(r, QStringLiteral("safety_drain_target_percent"));
        if (!target || *target < 10 || *target > 100)
            return invalidBatteryConfig(
                QStringLiteral("invalid_safety_drain_target_percent"),
                QStringLiteral("A fixed safety-drain target must be an integer from 10 to 100."));
        c.drainFixedTarget = static_cast<int>(*target);
    }
    c.limitEnabled = *enabled;
    c.limit = static_cast<int>(*limit);
    c.chargeProtector = *protector;
    c.drop = static_cast<int>(*drop);
    c.heatProtect = *heat;
    c.maxTemp = *maxTemp;
    c.safetyDrain = *drain;
    return c;
}

std::variant<int, QJsonObject> requestedChargeLimit(const QJsonObject& request)
{
    const auto limit = json::integer(request, QStringLiteral("limit"));
    if (!limit || !limitInRange(*limit))
        return invalidLimit();
    return static_cast<int>(*limit);
}

std::variant<std::optional<int>, QJsonObject> requestedRestoreLimit(const QJsonObject& request)
{
    if (!request.contains(QStringLiteral("restore_limit")))
        return std::optional<int>();
    const auto limit = json::integer(request, QStringLiteral("restore_limit"));
    if (!limit || !limitInRange(*limit))
        return invalidArgument(QStringLiteral("restore_limit"), QStringLiteral("an integer percent from 20 to 100"));
    return std::optional<int>(static_cast<int>(*limit));
}

} // namespace vantrel::daemonserver
