#include "sensors/SmcSensorSource.h"

#include "sensors/SensorSections.h"

namespace vantrel {

SmcSensorSource::SmcSensorSource(std::shared_ptr<SMCHelper> smc)
    : smc_(std::move(smc))
{ }

SensorSample SmcSensorSource::readSensors()
{
    smc_->refreshAll();
    return sampleFrom(smc_->snapshot());
}

SensorSample SmcSensorSource::sampleFrom(SMCHelper::Caches caches)
{
    SensorSample sample;
    sample.cpuTemperature = caches.cpuTemp;
    sample.fan0 = caches.fan0;
    sample.fan1 = caches.fan1;
    sample.batteryTemperature = getBatteryTemperature(caches.readings);
    for (const SensorReading& reading : caches.readings)
        if (!sample.readingValues.contains(reading.key))
            sample.readingValues.insert(reading.key, reading.value);
    sample.readings = std::move(caches.readings);
    return sample;
}

} // namespace vantrel
