#include "platform/sim/SimLidState.h"

#include "base/JsonAccess.h"

namespace vantrel {

SimLidState::SimLidState(QString stateDirectory)
    : hardware_(std::move(stateDirectory))
{ }

std::optional<bool> SimLidState::lidClosed() const
{
    const auto state = hardware_.read();
    return state ? json::strictBool(*state, QStringLiteral("lid_closed")) : std::nullopt;
}

} // namespace vantrel
