#include "fan/DaemonFanCurve.h"

#include "base/JsonAccess.h"

namespace vantrel {

namespace {

std::optional<CurvePoint> pointFromDaemon(const QJsonValue& value)
{
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject o = value.toObject();
    const auto temperature = json::number(o, QStringLiteral("temperature"));
    const auto fanPercent = json::number(o, QStringLiteral("fan_percent"));
    if (!temperature || !fanPercent)
        return std::nullopt;
    CurvePoint point = CurvePoint::make(*temperature, *fanPercent);
    if (const auto idText = json::string(o, QStringLiteral("id")))
        if (const auto id = parseUuid(*idText))
            point.id = *id;
    return point;
}

} // namespace

std::optional<FanCurveSettings> fanCurveFromDaemonSettings(const QJsonObject& settings)
{
    const auto name = json::string(settings, QStringLiteral("name"));
    const auto points = json::array(settings, QStringLiteral("points"));
    if (!name || !points || points->isEmpty())
        return std::nullopt;

    FanCurveSettings curve;
    curve.name = *name;
    for (const auto& element : *points) {
        auto point = pointFromDaemon(element);
        if (!point)
            return std::nullopt;
        curve.points.push_back(*point);
    }
    if (const auto right = json::array(settings, QStringLiteral("right_points")))
        for (const auto& element : *right)
            if (auto point = pointFromDaemon(element))
                curve.rightPoints.push_back(*point);
    if (const auto idText = json::string(settings, QStringLiteral("id")))
        if (const auto id = parseUuid(*idText))
            curve.id = *id;
    curve.isSystemPreset = json::strictBool(settings, QStringLiteral("is_system_preset")).value_or(false);
    // A list with anything but strings in it counts as absent.
    if (const auto ids = json::array(settings, QStringLiteral("app_bundle_ids"))) {
        QStringList list;
        for (const auto& element : *ids)
            if (element.isString())
                list.append(element.toString());
        if (list.size() == ids->size())
            curve.appBundleIds = list;
    }
    return curve;
}

} // namespace vantrel
