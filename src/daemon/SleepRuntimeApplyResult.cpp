#include "daemon/SleepRuntimeApplyResult.h"

#include "base/JsonAccess.h"

namespace vantrel {

const QString SleepRuntimeApplyResult::invalidResponseCode = QStringLiteral("ERR_INVALID_SLEEP_APPLY_RESPONSE");

SleepRuntimeApplyResult SleepRuntimeApplyResult::invalid()
{
    SleepRuntimeApplyResult result;
    result.code = invalidResponseCode;
    return result;
}

SleepRuntimeApplyResult SleepRuntimeApplyResult::fromReply(const std::optional<QJsonObject>& reply)
{
    if (!reply)
        return invalid();
    const auto status = json::string(*reply, QStringLiteral("status"));
    const auto requested = json::strictBool(*reply, QStringLiteral("requested_enabled"));
    const auto effective = json::strictBool(*reply, QStringLiteral("effective_enabled"));
    if (!status || !requested || !effective)
        return invalid();

    SleepRuntimeApplyResult result;
    result.succeeded = *status == QStringLiteral("ok");
    result.requestedEnabled = *requested;
    result.effectiveEnabled = *effective;
    result.lowBatteryVanillaActive
        = json::strictBool(*reply, QStringLiteral("low_battery_vanilla_active")).value_or(false);
    result.code = json::string(*reply, QStringLiteral("code"));
    result.stateAuthoritative = true;
    return result;
}

} // namespace vantrel
