#pragma once
// The readings of one monitoring tick that the fan observation needs (from its history point).
#include <QDateTime>

namespace vantrel {

struct FanTickReadings {
    QDateTime timestamp;
    double cpuTemp = 0;
    double gpuTemp = 0;
    double batteryTemp = 0;
    int fan0Rpm = 0;
    int fan1Rpm = 0;
};

} // namespace vantrel
