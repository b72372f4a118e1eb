#pragma once
// The sensor source that can read the smc keys without starting the tool: while enabled, each
// refresh reads the keys in process and feeds the tool reader the very lines the tool prints,
// so parsing, ranges, fallbacks and caches stay the same. When the in-process read fails, that
// refresh runs the tool instead, and the first such fall-back is logged.
#include <functional>
#include <memory>

#include "sensors/SMCHelper.h"
#include "sensors/SensorSource.h"

namespace vantrel {

class SmcKeyLineReader;

class InProcessSensorSource final : public SensorSource {
public:
    // enabled: asked each refresh, so the preference takes effect without a restart.
    InProcessSensorSource(std::shared_ptr<SMCHelper> smc, std::unique_ptr<SmcKeyLineReader> reader,
                          std::function<bool()> enabled);
    ~InProcessSensorSource() override;
    SensorSample readSensors() override;

private:
    bool readInProcess();

    std::shared_ptr<SMCHelper> smc_;
    std::unique_ptr<SmcKeyLineReader> reader_;
    std::function<bool()> enabled_;
    bool toldFallback_ = false;
};

} // namespace vantrel
