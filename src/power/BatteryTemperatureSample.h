#pragma once
// A point of the one-hour battery temperature chart.
#include <vector>

#include <QDateTime>
#include <QUuid>

#include "power/BatteryTelemetryRecord.h"

namespace vantrel {

struct BatteryTemperatureSample {
    QUuid id;
    double value = 0; // °C
    QDateTime timestamp;

    // The records of the last 3600 s that carry a temperature, in record order, each with a fresh id.
    static std::vector<BatteryTemperatureSample> displaySamples(const std::vector<BatteryTelemetryRecord>& records,
                                                                const QDateTime& now);
};

} // namespace vantrel
