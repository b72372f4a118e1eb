#pragma once
// The sensor source of the application: one run of the smc tool per refresh, read back
// from the tool reader's caches in one snapshot.
#include <memory>

#include "sensors/SMCHelper.h"
#include "sensors/SensorSource.h"

namespace vantrel {

class SmcSensorSource final : public SensorSource {
public:
    explicit SmcSensorSource(std::shared_ptr<SMCHelper> smc);
    SensorSample readSensors() override;
    // The sample one set of caches publishes.
    static SensorSample sampleFrom(SMCHelper::Caches caches);

private:
    std::shared_ptr<SMCHelper> smc_;
};

} // namespace vantrel
