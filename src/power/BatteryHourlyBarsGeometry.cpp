#include "power/BatteryHourlyBarsGeometry.h"

#include <algorithm>

namespace vantrel {
namespace {

double percentY(int percent, double height) { return height - height * std::clamp(percent, 0, 100) / 100.0; }

} // namespace

std::vector<BatteryTelemetryRecord> BatteryHourlyBarsGeometry::chartRecords(const QDateTime& now) const
{
    const QDateTime start = now.addSecs(-static_cast<qint64>(windowSeconds));
    std::vector<BatteryTelemetryRecord> out;
    for (const auto& r : records)
        if (r.timestamp >= start)
            out.push_back(r);
    std::stable_sort(out.begin(), out.end(), [](const auto& a, const auto& b) { return a.timestamp < b.timestamp; });
    if (out.empty())
        out.push_back({now, std::clamp(currentPercent, 0, 100), std::nullopt, isCharging});
    return out;
}

std::vector<QPointF> BatteryHourlyBarsGeometry::linePoints(const QDateTime& now, const QSizeF& size) const
{
    const QDateTime start = now.addSecs(-static_cast<qint64>(windowSeconds));
    std::vector<QPointF> points;
    for (const auto& r : chartRecords(now)) {
        const double fraction = static_cast<double>(start.msecsTo(r.timestamp)) / 1000.0 / windowSeconds;
        points.emplace_back(size.width() * std::clamp(fraction, 0.0, 1.0), percentY(r.percent, size.height()));
    }
    return points;
}

double BatteryHourlyBarsGeometry::targetLineY(double height) const { return percentY(targetLimit, height); }

} // namespace vantrel
