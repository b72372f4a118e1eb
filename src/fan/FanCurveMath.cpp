#include "fan/FanCurveMath.h"

#include <algorithm>
#include <cmath>

namespace vantrel {

namespace {

// A strict weak order even for NaN temperatures (which go last), so sorting stays well defined.
bool coolerThan(const CurvePoint& a, const CurvePoint& b)
{
    if (std::isnan(a.temperature))
        return false;
    if (std::isnan(b.temperature))
        return true;
    return a.temperature < b.temperature;
}

double clampPercentRange(double v)
{
    if (std::isnan(v))
        return 0;
    return std::clamp(v, 0.0, 100.0);
}

double evaluateSorted(double temp, const std::vector<CurvePoint>& sorted)
{
    if (sorted.empty())
        return 0;
    if (temp <= sorted.front().temperature)
        return sorted.front().fanPercent;
    if (sorted.back().temperature <= temp)
        return sorted.back().fanPercent;
    for (size_t i = 0; i + 1 < sorted.size(); ++i) {
        const CurvePoint& p0 = sorted[i];
        const CurvePoint& p1 = sorted[i + 1];
        if (p0.temperature <= temp && temp <= p1.temperature) {
            const double span = p1.temperature - p0.temperature;
            if (span != 0)
                return p0.fanPercent + (temp - p0.temperature) / span * (p1.fanPercent - p0.fanPercent);
            return p1.fanPercent;
        }
    }
    return 0;
}

} // namespace

double calculateInterpolatedFanPercent(double temp, const FanCurveSettings& curve)
{
    const auto& points = curve.points;
    // Stored curves are normalised and already in order; only unordered ones pay for a copy.
    if (std::is_sorted(points.begin(), points.end(), coolerThan))
        return evaluateSorted(temp, points);
    std::vector<CurvePoint> sorted = points;
    std::stable_sort(sorted.begin(), sorted.end(), coolerThan);
    return evaluateSorted(temp, sorted);
}

std::vector<CurvePoint> normalizeCurvePointsWithStep(const std::vector<CurvePoint>& points, double minStep,
                                                     double firstCap)
{
    const auto& source = points.size() < 5 ? FanCurveSettings::defaultBalanced().points : points;
    std::vector<CurvePoint> clamped;
    clamped.reserve(source.size());
    for (const auto& p : source)
        clamped.push_back({p.id, clampPercentRange(p.temperature), clampPercentRange(p.fanPercent)});
    std::stable_sort(clamped.begin(), clamped.end(), coolerThan);

    std::vector<CurvePoint> candidates;
    for (const auto& p : clamped)
        if (p.temperature > 0 && p.temperature < 100)
            candidates.push_back(p);
    if (candidates.size() > 3)
        candidates.resize(3);
    else if (candidates.size() < 3)
        candidates = {CurvePoint::make(45, 35), CurvePoint::make(60, 55), CurvePoint::make(78, 78)};

    std::vector<CurvePoint> result;
    result.reserve(5);
    result.push_back(CurvePoint::make(0, 0));
    for (size_t k = 0; k < 3; ++k) {
        const CurvePoint& prev = result.back();
        const double temperatureCap = firstCap + minStep * static_cast<double>(k);
        const double fanCap = k == 2 ? 99 : 100;
        const double temperature
            = std::min(std::max(candidates[k].temperature, prev.temperature + minStep), temperatureCap);
        const double fanPercent = std::min(std::max(candidates[k].fanPercent, prev.fanPercent), fanCap);
        result.push_back(CurvePoint::make(temperature, fanPercent));
    }
    result.push_back(CurvePoint::make(100, 100));
    return result;
}

std::vector<CurvePoint> normalizedCurvePoints(const std::vector<CurvePoint>& points)
{
    return normalizeCurvePointsWithStep(points, 3, 91);
}

} // namespace vantrel
