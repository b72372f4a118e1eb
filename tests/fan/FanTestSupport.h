#pragma once
// Small helpers shared by the fan tests.
#include <utility>
#include <vector>

#include "fan/CurvePoint.h"
#include "fan/FanCurveSettings.h"

namespace vantrel::test {

using Shape = std::vector<std::pair<double, double>>;

inline std::vector<CurvePoint> points(const Shape& shape)
{
    std::vector<CurvePoint> out;
    for (const auto& [t, f] : shape)
        out.push_back(CurvePoint::make(t, f));
    return out;
}

inline Shape shapeOf(const std::vector<CurvePoint>& pts)
{
    Shape out;
    for (const auto& p : pts)
        out.emplace_back(p.temperature, p.fanPercent);
    return out;
}

inline FanCurveSettings curve(const QString& name, const Shape& shape)
{
    FanCurveSettings c;
    c.name = name;
    c.points = points(shape);
    return c;
}

inline const Shape balancedShape{{0, 0}, {45, 35}, {60, 55}, {78, 78}, {100, 100}};

} // namespace vantrel::test
