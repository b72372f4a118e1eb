#include "fan/FanConfigRequest.h"

#include "daemon/DaemonClient.h"

namespace vantrel {

namespace {

QJsonArray wireCurve(const std::vector<CurvePoint>& points)
{
    std::vector<WireCurvePoint> wire;
    wire.reserve(points.size());
    for (const auto& p : points)
        wire.push_back({p.temperature, p.fanPercent});
    return DaemonClient::encodeCurve(wire);
}

} // namespace

QJsonObject FanConfigRequest::toJson() const
{
    return QJsonObject{{QStringLiteral("cmd"), QStringLiteral("set_fan_config")},
                       {QStringLiteral("mode"), daemonValue(mode)},
                       {QStringLiteral("unified"), unified},
                       {QStringLiteral("left_points"), wireCurve(leftPoints)},
                       {QStringLiteral("right_points"), wireCurve(rightPoints)},
                       {QStringLiteral("preset_name"), presetName},
                       {QStringLiteral("smart_app_preset"), smartAppPreset}};
}

} // namespace vantrel
