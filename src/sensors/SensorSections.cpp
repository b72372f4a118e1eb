#include "sensors/SensorSections.h"

#include <algorithm>
#include <array>

namespace vantrel {

QString sensorSectionTitleKey(const QString& category)
{
    if (category == QStringLiteral("CPU"))
        return QStringLiteral("sensor.category.cpu");
    if (category == QStringLiteral("GPU"))
        return QStringLiteral("sensor.category.gpu");
    if (category == QStringLiteral("SSD"))
        return QStringLiteral("sensor.category.ssd");
    if (category == QStringLiteral("Battery"))
        return QStringLiteral("battery_sensor");
    if (category == QStringLiteral("Airflow"))
        return QStringLiteral("sensor.category.airflow");
    return QStringLiteral("sensor.category.other");
}

std::vector<SensorSection> groupSensorsForDisplay(const std::vector<SensorReading>& readings)
{
    std::vector<SensorReading> shown;
    std::copy_if(readings.begin(), readings.end(), std::back_inserter(shown),
                 [](const SensorReading& r) { return r.value > 0 && r.value < 120; });
    std::stable_sort(shown.begin(), shown.end(), [](const SensorReading& a, const SensorReading& b) {
        if (a.category != b.category)
            return a.category < b.category;
        return a.value > b.value;
    });

    static const std::array<QString, 6> order = {QStringLiteral("CPU"), QStringLiteral("GPU"), QStringLiteral("SSD"),
                                                 QStringLiteral("Battery"), QStringLiteral("Airflow"), QStringLiteral("Other")};
    std::vector<SensorSection> sections;
    for (const QString& category : order) {
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
        if (r.category == QStringLiteral("Battery")) {
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
