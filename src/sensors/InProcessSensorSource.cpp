#include "sensors/InProcessSensorSource.h"

#include "base/Log.h"
#include "sensors/SmcKeyLineReader.h"
#include "sensors/SmcSensorSource.h"

namespace vantrel {

InProcessSensorSource::InProcessSensorSource(std::shared_ptr<SMCHelper> smc, std::unique_ptr<SmcKeyLineReader> reader,
                                             std::function<bool()> enabled)
    : smc_(std::move(smc))
    , reader_(std::move(reader))
    , enabled_(std::move(enabled))
{ }

InProcessSensorSource::~InProcessSensorSource() = default;

bool InProcessSensorSource::readInProcess()
{
    const auto lines = reader_->readLines(SMCHelper::keysToRead());
    return lines && smc_->applyToolOutput(QByteArray::fromStdString(*lines));
}

SensorSample InProcessSensorSource::readSensors()
{
    const bool inProcess = enabled_ && enabled_();
    if (!inProcess || !readInProcess()) {
        if (inProcess && !toldFallback_) {
            toldFallback_ = true;
            logLine(QStringLiteral("Vantrel: in-process sensor reading failed; reading sensors with the smc tool"));
        }
        smc_->refreshAll();
    }
    return SmcSensorSource::sampleFrom(smc_->snapshot());
}

} // namespace vantrel
