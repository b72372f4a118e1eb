#include "platform/sim/SimScreenLock.h"

#include "base/JsonAccess.h"

namespace vantrel {

SimScreenLock::SimScreenLock(std::shared_ptr<DaemonTransport> transport)
    : transport_(std::move(transport))
{ }

QJsonObject SimScreenLock::simRequest()
{
    return QJsonObject{{QStringLiteral("cmd"), QStringLiteral("sim_platform")},
                       {QStringLiteral("action"), QStringLiteral("lock_screen")}};
}

ScreenLockResult SimScreenLock::lockScreen()
{
    const auto reply = transport_ ? transport_->send(simRequest()) : std::nullopt;
    if (!reply)
        return {ScreenLockResult::Status::ServiceUnavailable, QStringLiteral("the simulator did not answer")};
    if (!json::isOkStatus(*reply))
        return {ScreenLockResult::Status::ServiceUnavailable,
                json::string(*reply, QStringLiteral("message")).value_or(QString())};
    return {ScreenLockResult::Status::Requested, {}};
}

} // namespace vantrel
