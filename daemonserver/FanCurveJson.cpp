#include "daemonserver/FanCurveJson.h"

#include <QJsonArray>

#include "base/JsonAccess.h"

namespace vantrel::daemonserver {

std::optional<FanCurve> curveFromJson(const QJsonValue& points, CurveForm form)
{
    if (!points.isArray())
        return std::nullopt;
    const bool stored = form == CurveForm::Stored;
    const QString tempKey = stored ? QStringLiteral("temperature") : QStringLiteral("temp");
    const QString fanKey = stored ? QStringLiteral("fan_percent") : QStringLiteral("fan");
    FanCurve curve;
    for (const auto& v : points.toArray()) {
        const auto temp = json::asDouble(v.toObject().value(tempKey));
        const auto fan = json::asDouble(v.toObject().value(fanKey));
        if (!v.isObject() || !temp || !fan)
            return std::nullopt;
        curve.push_back(CurvePoint{*temp, *fan});
    }
    return curve;
}

QJsonObject storedCurve(const QString& name, const FanCurve& curve)
{
    QJsonArray points;
    for (const auto& p : curve)
        points.append(
            QJsonObject{{QStringLiteral("temperature"), p.temperature}, {QStringLiteral("fan_percent"), p.fanPercent}});
    return QJsonObject{{QStringLiteral("name"), name}, {QStringLiteral("points"), points}};
}

} // namespace vantrel::daemonserver
