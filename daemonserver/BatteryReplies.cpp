#include "daemonserver/BatteryReplies.h"

#include "daemonserver/Replies.h"

namespace vantrel::daemonserver {

QJsonObject noBatteryReply(const QString& message)
{
    return errorReply(QStringLiteral("ERR_NO_BATTERY"), message,
                      {{QStringLiteral("reason"), QStringLiteral("no_battery")}});
}

QJsonObject batteryConfigReply(const QJsonObject& lastApply, const QStringList& failed, const QString& powerOnlyState,
                               const QString& failedPrefix)
{
    QJsonObject extra{{QStringLiteral("last_charge_apply"), lastApply},
                      {QStringLiteral("power_only_state"), powerOnlyState}};
    if (failed.isEmpty())
        return okReply(extra);
    extra.insert(QStringLiteral("status"), QStringLiteral("partial"));
    extra.insert(QStringLiteral("code"), QStringLiteral("ERR_CHARGE_APPLY_PARTIAL"));
    extra.insert(QStringLiteral("message"), failedPrefix + failed.join(QStringLiteral(", ")));
    return extra;
}

QString oneTimeFullChargeSummary(std::optional<int> restoreLimit)
{
    return restoreLimit ? QStringLiteral("Charging to 100%, then back to %1%").arg(*restoreLimit)
                        : QStringLiteral("Charging to 100% once");
}

QJsonObject oneTimeFullChargeReply(const QString& powerOnlyState)
{
    return okReply({{QStringLiteral("power_only_state"), powerOnlyState}});
}

} // namespace vantrel::daemonserver
