#pragma once
// Where the curve editor draws and how a handle follows the pointer: the plot rectangle in the
// chart's own coordinates, the danger zone, and the clamping that keeps the three movable points
// ordered. No widgets here, so the rules are tested without a display.
#include <optional>

#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include "fan/FanPageModel.h"

namespace vantrel {

enum class FanCurveHandle {
    current,
    work,
    high
};

struct CurveValue {
    double temperature = 0;
    double fanPercent = 0;
};

namespace fancurve {

inline constexpr double minimumSpacing = 3; // °C between neighbouring points
inline constexpr double highestTemperature = 97; // the high point's cap
inline constexpr double dangerFrom = 80; // °C where the shaded zone starts
inline constexpr double dangerCornerRadius = 10;

// Origin (38, 34); size (max(width − 78, 140), max(height − 78, 120)).
QRectF plotRect(const QSizeF& chartSize);
// The plot's part from 80 to 100 °C.
QRectF dangerZone(const QRectF& plot);
// A location in the chart to temperature and percent (not rounded, not clamped).
CurveValue valueAt(const QPointF& location, const QRectF& plot);
QPointF locationOf(double temperature, double fanPercent, const QRectF& plot);
QPointF locationOf(const CurveValue& v, const QRectF& plot);

// The point of one handle in the bands.
CurveValue handleValue(const DraftBands& bands, FanCurveHandle handle);
// The bands with one handle moved towards (t, p): rounded to whole numbers, at least 3 °C from
// its neighbours (the current point from 3 °C, the high point up to 97 °C), and with a fan
// percent that never falls from left to right.
DraftBands moveHandle(const DraftBands& bands, FanCurveHandle handle, CurveValue target);

// The operating marker's fan percent at the CPU temperature: from the curve points when there are
// any, else the faster fan's share of the maximum speed (at least 1), clamped to 0…100.
double operatingMarkerPercent(const std::optional<DraftBands>& draft, double cpuTemperature, int fasterFanRPM,
                              int fanMaxRPM);

} // namespace fancurve
} // namespace vantrel
