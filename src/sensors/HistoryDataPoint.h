#pragma once
// The readings of one monitoring tick; the central state keeps the most recent sixty (one
// minute) and the fan observation records them.
#include <QDateTime>
#include <QUuid>

namespace vantrel {

struct HistoryDataPoint {
    QUuid id = QUuid::createUuid();
    QDateTime timestamp;
    double cpuTemp = 0;
    double batteryTemp = 0;
    double gpuTemp = 0;
    int fan0Rpm = 0;
    int fan1Rpm = 0;
};

} // namespace vantrel
