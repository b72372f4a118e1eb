#pragma once
// The sensor readings as the sensor sheet shows them: grouped by category in a fixed order,
// hottest first, with the temperature colour bands; and the mean battery temperature.
#include <optional>
#include <vector>

#include <QString>

#include "sensors/BandColour.h"
#include "sensors/SensorReading.h"

namespace vantrel {

struct SensorSection {
    SensorCategory category;
    QString titleKey; // localisation key of the section title
    std::vector<SensorReading> readings;
};

// Readings in the displayed range grouped as "CPU", "GPU", "SSD", "Battery", "Airflow", "Other";
// empty groups and unknown categories are left out.
std::vector<SensorSection> groupSensorsForDisplay(const std::vector<SensorReading>& readings);
QString sensorSectionTitleKey(SensorCategory category);
// Red at 85 °C or more, orange at 70 °C or more, green below.
BandColour sensorValueColour(double celsius);

// The mean of the "Battery" readings; nothing when there is none.
std::optional<double> meanBatteryTemperature(const std::vector<SensorReading>& readings);
// The central state's battery temperature: the mean, or 30.0 without battery readings.
double getBatteryTemperature(const std::vector<SensorReading>& readings);

} // namespace vantrel
