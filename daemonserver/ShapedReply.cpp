#include "daemonserver/ShapedReply.h"

#include "base/JsonAccess.h"

namespace vantrel::daemonserver {

ShapedReply plainReply(const QJsonObject& reply)
{
    ShapedReply shaped;
    shaped.segments.push_back(json::compact(reply));
    return shaped;
}

} // namespace vantrel::daemonserver
