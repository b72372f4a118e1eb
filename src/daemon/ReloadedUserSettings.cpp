#include "daemon/ReloadedUserSettings.h"

#include "base/JsonAccess.h"

namespace vantrel {

std::optional<ReloadedUserSettings> ReloadedUserSettings::fromReply(const QJsonObject& reply)
{
    const auto status = json::string(reply, QStringLiteral("status"));
    const auto settings = json::object(reply, QStringLiteral("settings"));
    if (!status || (*status != QStringLiteral("ok") && *status != QStringLiteral("partial")) || !settings
        || json::string(reply, QStringLiteral("load_status")) != QStringLiteral("loaded"))
        return std::nullopt;
    return ReloadedUserSettings{*status, *settings, json::string(reply, QStringLiteral("code"))};
}

} // namespace vantrel
