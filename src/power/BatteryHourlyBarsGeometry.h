#pragma once
// What the twelve-hour charge chart draws, computed without a widget: the chart's records
// and the points of the battery line in a given plot size.
#include <vector>

#include <QDateTime>
#include <QPointF>
#include <QSizeF>

#include "power/BatteryTelemetryRecord.h"

namespace vantrel {

struct BatteryHourlyBarsGeometry {
    static constexpr double windowSeconds = 43200.0; // twelve hours

    std::vector<BatteryTelemetryRecord> records;
    int currentPercent = 0;
    int targetLimit = 80;
    bool isCharging = false;
    bool hasPersistentLog = false;

    // The records of the last twelve hours, by time; with none, one synthetic record at now
    // holding the current percent and charging flag.
    std::vector<BatteryTelemetryRecord> chartRecords(const QDateTime& now) const;
    // One point per chart record: x spreads the twelve hours over the width (clamped),
    // y puts 100 % at the top and 0 % at the bottom.
    std::vector<QPointF> linePoints(const QDateTime& now, const QSizeF& size) const;
    // The height of the horizontal target line.
    double targetLineY(double height) const;
};

} // namespace vantrel
