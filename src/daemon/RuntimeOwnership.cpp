#include "daemon/RuntimeOwnership.h"

#include "base/JsonAccess.h"

namespace vantrel {

RuntimeOwnership RuntimeOwnership::fromReply(const QJsonObject& reply)
{
    return RuntimeOwnership{json::string(reply, QStringLiteral("channel")),
                            json::strictBool(reply, QStringLiteral("transition_fenced"))};
}

} // namespace vantrel
