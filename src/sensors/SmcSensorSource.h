#pragma once
// The sensor source of the application: one run of the smc tool per refresh, read back
// from the tool reader's caches in one snapshot.
#include <memory>

#include "sensors/SensorSource.h"

namespace vantrel {

class SMCHelper;

class SmcSensorSource final : public SensorSource {
public:
    explicit SmcSensorSource(std::shared_ptr<SMCHelper> smc);
    SensorSample readSensors() override;

private:
    std::shared_ptr<SMCHelper> smc_;
};

} // namespace vantrel
