#include "ui/fancurve/FanCurveEditorGeometry.h"

#include <algorithm>
#include <cmath>

#include "fan/FanCurveMath.h"
#include "fan/FanCurveSettings.h"

namespace vantrel::fancurve {

QRectF plotRect(const QSizeF& chartSize)
{
    return {38, 34, std::max(chartSize.width() - 78, 140.0), std::max(chartSize.height() - 78, 120.0)};
}

QRectF dangerZone(const QRectF& plot)
{
    const double x = plot.left() + plot.width() * dangerFrom / 100.0;
    return {x, plot.top(), plot.right() - x, plot.height()};
}

CurveValue valueAt(const QPointF& location, const QRectF& plot)
{
    return {(location.x() - plot.left()) / std::max(plot.width(), 1.0) * 100.0,
            100.0 - (location.y() - plot.top()) / std::max(plot.height(), 1.0) * 100.0};
}

QPointF locationOf(double temperature, double fanPercent, const QRectF& plot)
{
    return {plot.left() + temperature / 100.0 * plot.width(),
            plot.top() + (100.0 - fanPercent) / 100.0 * plot.height()};
}

QPointF locationOf(const CurveValue& v, const QRectF& plot) { return locationOf(v.temperature, v.fanPercent, plot); }

CurveValue handleValue(const DraftBands& b, FanCurveHandle handle)
{
    switch (handle) {
    case FanCurveHandle::current:
        return {b.currentBandTemperature, b.currentBandFanPercent};
    case FanCurveHandle::work:
        return {b.workBandTemperature, b.workBandFanPercent};
    case FanCurveHandle::high:
        break;
    }
    return {b.highBandTemperature, b.highBandFanPercent};
}

DraftBands moveHandle(const DraftBands& bands, FanCurveHandle handle, CurveValue target)
{
    DraftBands b = bands;
    const double t = std::round(target.temperature);
    const double p = std::round(target.fanPercent);
    // min(max(…)) in this order: the upper neighbour wins when the two bounds cross.
    switch (handle) {
    case FanCurveHandle::current:
        b.currentBandTemperature = std::min(std::max(t, minimumSpacing), b.workBandTemperature - minimumSpacing);
        b.currentBandFanPercent = std::min(std::max(p, 0.0), b.workBandFanPercent);
        break;
    case FanCurveHandle::work:
        b.workBandTemperature
            = std::min(std::max(t, b.currentBandTemperature + minimumSpacing), b.highBandTemperature - minimumSpacing);
        b.workBandFanPercent = std::min(std::max(p, b.currentBandFanPercent), b.highBandFanPercent);
        break;
    case FanCurveHandle::high:
        b.highBandTemperature = std::min(std::max(t, b.workBandTemperature + minimumSpacing), highestTemperature);
        b.highBandFanPercent = std::min(std::max(p, b.workBandFanPercent), 100.0);
        break;
    }
    return b;
}

double operatingMarkerPercent(const std::optional<DraftBands>& draft, double cpuTemperature, int fasterFanRPM,
                              int fanMaxRPM)
{
    if (draft) {
        FanCurveSettings curve;
        curve.points
            = {CurvePoint::make(0, 0), CurvePoint::make(draft->currentBandTemperature, draft->currentBandFanPercent),
               CurvePoint::make(draft->workBandTemperature, draft->workBandFanPercent),
               CurvePoint::make(draft->highBandTemperature, draft->highBandFanPercent), CurvePoint::make(100, 100)};
        return std::clamp(calculateInterpolatedFanPercent(cpuTemperature, curve), 0.0, 100.0);
    }
    const double share = double(fasterFanRPM) / double(std::max(fanMaxRPM, 1)) * 100.0;
    return std::clamp(share, 0.0, 100.0);
}

} // namespace vantrel::fancurve
