#include "fan/CurvePoint.h"

#include <QHashFunctions>

#include "base/JsonAccess.h"

namespace vantrel {

std::optional<QUuid> parseUuid(const QString& text)
{
    const QUuid id = QUuid::fromString(text);
    // fromString answers the nil UUID for malformed text, so the nil UUID itself is told apart by its text.
    if (id.isNull() && text.trimmed() != QStringLiteral("00000000-0000-0000-0000-000000000000"))
        return std::nullopt;
    return id;
}

QJsonObject CurvePoint::toJson() const
{
    return QJsonObject{{QStringLiteral("id"), id.toString(QUuid::WithoutBraces).toUpper()},
                       {QStringLiteral("temperature"), temperature},
                       {QStringLiteral("fanPercent"), fanPercent}};
}

std::optional<CurvePoint> CurvePoint::fromJson(const QJsonValue& value)
{
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject o = value.toObject();
    const auto idText = json::string(o, QStringLiteral("id"));
    const auto temperature = json::number(o, QStringLiteral("temperature"));
    const auto fanPercent = json::number(o, QStringLiteral("fanPercent"));
    if (!idText || !temperature || !fanPercent)
        return std::nullopt;
    const auto id = parseUuid(*idText);
    if (!id)
        return std::nullopt;
    return CurvePoint{*id, *temperature, *fanPercent};
}

size_t qHash(const CurvePoint& point, size_t seed) noexcept
{
    return qHashMulti(seed, point.id, point.temperature, point.fanPercent);
}

} // namespace vantrel
