#include "sensors/SensorSections.h"

#include <algorithm>
#include <array>

namespace vantrel {

QString sensorSectionTitleKey(SensorCategory category)
{
    switch (category) {
    case SensorCategory::CPU:
        return QStringLiteral("sensor.category.cpu");
    case SensorCategory::GPU:
        return QStringLiteral("sensor.category.gpu");
    case SensorCategory::SSD:
        return QStringLiteral("sensor.category.ssd");
    case SensorCategory::Battery:
        return QStringLiteral("battery_sensor");
    case SensorCategory::Airflow:
        return QStringLiteral("sensor.category.airflow");
    case SensorCategory::Other:
        break;
    }
    return QStringLiteral("sensor.category.other");
}

std::vector<SensorSection> groupSensorsForDisplay(const std::vector<SensorReading>& readings)
{
    std::vector<SensorReading> shown;
    std::copy_if(readings.begin(), readings.end(), std::back_inserter(shown),
                 [](const SensorReading& r) { return displayedReadingRange.contains(r.value); });
    // Hottest first within each group.
    std::stable_sort(shown.begin(), shown.end(),
                     [](const SensorReading& a, const SensorReading& b) { return a.value > b.value; });

    static constexpr std::array<SensorCategory, 6> order
        = {SensorCategory::CPU,     SensorCategory::GPU,     SensorCategory::SSD,
           SensorCategory::Battery, SensorCategory::Airflow, SensorCategory::Other};
    std::vector<SensorSection> sections;
    for (const SensorCategory category : order) {
        SensorSection section{category, sensorSectionTitleKey(category), {}};
        for (const SensorReading& r : shown)
            if (r.category == category)
                section.readings.push_back(r);
        if (!section.readings.empty())
            sections.push_back(std::move(section));
    }
    return sections;
}
BandColour sensorValueColour(double celsius)
{
    if (celsius >= 85)
        return BandColour::Red;
    if (celsius >= 70)
        return BandColour::Orange;
    return BandColour::Green;
}

std::optional<double> meanBatteryTemperature(const std::vector<SensorReading>& readings)
{
    double sum = 0;
    int count = 0;
    for (const SensorReading& r : readings) {
        if (r.category == SensorCategory::Battery) {
            sum += r.value;
            ++count;
        }
    }
    if (count == 0)
        return std::nullopt;
    return sum / count;
}

double getBatteryTemperature(const std::vector<SensorReading>& readings)
{
    return meanBatteryTemperature(readings).value_or(30.0);
}

} // namespace vantrel
