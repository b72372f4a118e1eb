#include "platform/sim/SimPowerAssertions.h"

#include <limits>

#include "base/JsonAccess.h"

namespace vantrel {

SimPowerAssertions::SimPowerAssertions(std::shared_ptr<DaemonTransport> transport)
    : transport_(std::move(transport))
{ }

QJsonObject SimPowerAssertions::createRequest(const QString& type, const QString& name)
{
    return QJsonObject{{QStringLiteral("cmd"), QStringLiteral("sim_platform")},
                       {QStringLiteral("action"), QStringLiteral("create_assertion")},
                       {QStringLiteral("type"), type},
                       {QStringLiteral("name"), name}};
}

QJsonObject SimPowerAssertions::releaseRequest(PowerAssertionId id)
{
    return QJsonObject{{QStringLiteral("cmd"), QStringLiteral("sim_platform")},
                       {QStringLiteral("action"), QStringLiteral("release_assertion")},
                       {QStringLiteral("assertion_id"), static_cast<qint64>(id)}};
}

std::optional<PowerAssertionId> SimPowerAssertions::create(const QString& type, const QString& name)
{
    if (!transport_)
        return std::nullopt;
    const auto reply = transport_->send(createRequest(type, name));
    if (!(reply && json::isOkStatus(*reply)))
        return std::nullopt;
    const auto id = json::integer(*reply, QStringLiteral("assertion_id"));
    if (!id || *id <= 0 || *id > std::numeric_limits<PowerAssertionId>::max())
        return std::nullopt;
    return static_cast<PowerAssertionId>(*id);
}

bool SimPowerAssertions::release(PowerAssertionId id)
{
    if (!transport_)
        return false;
    const auto reply = transport_->send(releaseRequest(id));
    return reply && json::isOkStatus(*reply);
}

} // namespace vantrel
