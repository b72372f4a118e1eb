#include "daemon/UserSettingsState.h"

#include "base/JsonAccess.h"

namespace vantrel {

UserSettingsState UserSettingsState::fromReply(const QJsonObject& reply)
{
    return UserSettingsState{json::strictBool(reply, QStringLiteral("exists")).value_or(false)};
}

} // namespace vantrel
