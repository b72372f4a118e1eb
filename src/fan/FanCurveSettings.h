#pragma once
// A named fan curve (a preset or an active curve) with its right-fan copy and tied applications.
#include <optional>
#include <vector>

#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QUuid>

#include "fan/CurvePoint.h"

namespace vantrel {

struct FanCurveSettings {
    QUuid id = QUuid::createUuid();
    QString name;
    std::vector<CurvePoint> points;
    bool isSystemPreset = false;
    std::vector<CurvePoint> rightPoints;
    QStringList appBundleIds;

    // Writes all six keys.
    QJsonObject toJson() const;
    QByteArray toJsonBytes() const;
    // "name" and "points" are required; "id", "isSystemPreset", "rightPoints" and "appBundleIds"
    // may be missing (or null) in records written before they existed.
    static std::optional<FanCurveSettings> fromJson(const QJsonValue& value);
    static std::optional<FanCurveSettings> fromJsonBytes(const QByteArray& bytes);
    static QJsonArray toJsonArray(const std::vector<FanCurveSettings>& list);
    // The whole array fails when one element does.
    static std::optional<std::vector<FanCurveSettings>> listFromJson(const QJsonValue& value);
    static std::optional<std::vector<FanCurveSettings>> listFromJsonBytes(const QByteArray& bytes);

    // The built-in curves, created on first use and fixed for the life of the process.
    static const FanCurveSettings& defaultSilent();
    static const FanCurveSettings& defaultBalanced();
    static const FanCurveSettings& defaultPerformance();
    // Copies of the three built-ins in the order silent, balanced, performance.
    static const std::vector<FanCurveSettings>& systemPresets();
    static bool isBuiltInName(const QString& name);

    bool operator==(const FanCurveSettings&) const = default;
};

size_t qHash(const FanCurveSettings& curve, size_t seed = 0) noexcept;

} // namespace vantrel
