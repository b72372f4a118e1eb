#include "daemonserver/FanConfig.h"

#include <algorithm>

namespace vantrel::daemonserver {

double interpolateCurve(const FanCurve& curve, double temperature)
{
    if (curve.empty())
        return 0;
    FanCurve sorted = curve;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const CurvePoint& a, const CurvePoint& b) { return a.temperature < b.temperature; });
    if (temperature <= sorted.front().temperature)
        return std::clamp(sorted.front().fanPercent, 0.0, 100.0);
    for (std::size_t i = 1; i < sorted.size(); ++i) {
        const auto& a = sorted[i - 1];
        const auto& b = sorted[i];
        if (temperature <= b.temperature) {
            const double span = b.temperature - a.temperature;
            const double t = span > 0 ? (temperature - a.temperature) / span : 1.0;
            return std::clamp(a.fanPercent + t * (b.fanPercent - a.fanPercent), 0.0, 100.0);
        }
    }
    return std::clamp(sorted.back().fanPercent, 0.0, 100.0);
}

} // namespace vantrel::daemonserver
