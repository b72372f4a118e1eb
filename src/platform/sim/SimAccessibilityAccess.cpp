#include "platform/sim/SimAccessibilityAccess.h"

#include "base/JsonAccess.h"

namespace vantrel {

SimAccessibilityAccess::SimAccessibilityAccess(QString stateDirectory)
    : hardware_(std::move(stateDirectory))
{ }

bool SimAccessibilityAccess::isProcessTrusted() const { return platformFlag(QStringLiteral("accessibility_trusted")); }

bool SimAccessibilityAccess::probeSystemEventsAutomation()
{
    return platformFlag(QStringLiteral("automation_allowed"));
}

bool SimAccessibilityAccess::platformFlag(const QString& key) const
{
    const auto state = hardware_.read();
    if (!state)
        return false;
    const auto platform = json::object(*state, QStringLiteral("platform"));
    return platform && json::strictBool(*platform, key).value_or(false);
}

} // namespace vantrel
