#pragma once
// Where the monitoring tick gets its temperatures and fan speeds from. Called off the main
// thread, one call per tick; it may block for the duration of one hardware read.
#include "sensors/SensorSample.h"

namespace vantrel {

class SensorSource {
public:
    virtual ~SensorSource() = default;
    // Reads the sensors once; a failed read returns the last good sample.
    virtual SensorSample readSensors() = 0;
};

} // namespace vantrel
