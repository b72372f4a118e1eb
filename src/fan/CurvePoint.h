#pragma once
// One point of a fan curve: a temperature in °C and the fan duty in percent at it.
#include <optional>

#include <QJsonObject>
#include <QUuid>

namespace vantrel {

struct CurvePoint {
    QUuid id = QUuid::createUuid();
    double temperature = 0;
    double fanPercent = 0;

    static CurvePoint make(double temperature, double fanPercent)
    {
        return {QUuid::createUuid(), temperature, fanPercent};
    }

    QJsonObject toJson() const;
    // "id", "temperature" and "fanPercent" are all required; a wrong type or a malformed UUID fails.
    static std::optional<CurvePoint> fromJson(const QJsonValue& value);

    bool operator==(const CurvePoint&) const = default;
};

// UUID text (with or without braces) as the stored records carry it; nothing when malformed.
std::optional<QUuid> parseUuid(const QString& text);

size_t qHash(const CurvePoint& point, size_t seed = 0) noexcept;

} // namespace vantrel
