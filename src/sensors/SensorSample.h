#pragma once
// One refresh of the SMC catalogue as the monitoring tick uses it.
#include <vector>

#include <QHash>
#include <QString>

#include "sensors/SensorReading.h"

namespace vantrel {

struct SensorSample {
    double cpuTemperature = 45.0;
    int fan0 = 0;
    int fan1 = 0;
    // Mean of the battery readings, 30.0 without any.
    double batteryTemperature = 30.0;
    std::vector<SensorReading> readings;
    // The readings' values by SMC key, so single sensors are looked up without a scan.
    QHash<QString, double> readingValues;

    // The reading of key, or fallback when the catalogue produced none.
    double readingOr(const QString& key, double fallback) const { return readingValues.value(key, fallback); }
};

} // namespace vantrel
