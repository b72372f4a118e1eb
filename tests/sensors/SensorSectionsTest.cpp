#include "sensors/SensorSections.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace vantrel {
namespace {

SensorReading reading(const char* key, SensorCategory category, double value)
{
    return SensorReading{QUuid::createUuid(), QString::fromLatin1(key), QString::fromLatin1(key), category, value};
}

TEST(SensorSections, GroupsInFixedOrderHottestFirstAndHidesImplausibleValues)
{
    const std::vector<SensorReading> readings
        = {reading("TAOL", SensorCategory::Airflow, 30), reading("TPMP", SensorCategory::CPU, 60),
           reading("TCHP", SensorCategory::CPU, 75),     reading("TB0T", SensorCategory::Battery, 31),
           reading("TD00", SensorCategory::SSD, 149.9),  reading("TD10", SensorCategory::SSD, 40),
           reading("TMVR", SensorCategory::Other, 50),   reading("TG0D", SensorCategory::GPU, 48),
           reading("TPDX", SensorCategory::CPU, 75),     reading("TCMz", SensorCategory::CPU, 0.0),
           reading("TPVD", SensorCategory::GPU, 120.0)};
    const auto sections = groupSensorsForDisplay(readings);

    QStringList order;
    for (const auto& s : sections)
        order << sensorCategoryName(s.category);
    EXPECT_EQ(order,
              (QStringList{QStringLiteral("CPU"), QStringLiteral("GPU"), QStringLiteral("SSD"),
                           QStringLiteral("Battery"), QStringLiteral("Airflow"), QStringLiteral("Other")}));
    // Hottest first; equal values keep their catalogue order.
    ASSERT_EQ(sections[0].readings.size(), 3u);
    EXPECT_EQ(sections[0].readings[0].key, QStringLiteral("TCHP"));
    EXPECT_EQ(sections[0].readings[1].key, QStringLiteral("TPDX"));
    EXPECT_EQ(sections[0].readings[2].key, QStringLiteral("TPMP"));
    // 149.9 is a reading but not shown (≥ 120); 120 exactly is hidden too.
    ASSERT_EQ(sections[2].readings.size(), 1u);
    EXPECT_EQ(sections[2].readings[0].key, QStringLiteral("TD10"));
    EXPECT_EQ(sections[1].readings.size(), 1u);

    EXPECT_EQ(sections[0].titleKey, QStringLiteral("sensor.category.cpu"));
    EXPECT_EQ(sections[3].titleKey, QStringLiteral("battery_sensor"));
    EXPECT_EQ(sections[4].titleKey, QStringLiteral("sensor.category.airflow"));
    EXPECT_TRUE(groupSensorsForDisplay({}).empty());
}

TEST(SensorSections, ColourBandsAndBatteryTemperature)
{
    EXPECT_EQ(sensorValueColour(85.0), BandColour::Red);
    EXPECT_EQ(sensorValueColour(84.99), BandColour::Orange);
    EXPECT_EQ(sensorValueColour(70.0), BandColour::Orange);
    EXPECT_EQ(sensorValueColour(69.9), BandColour::Green);

    EXPECT_DOUBLE_EQ(
        getBatteryTemperature({reading("TB0T", SensorCategory::Battery, 31),
                               reading("TB1T", SensorCategory::Battery, 33), reading("TG0D", SensorCategory::GPU, 90)}),
        32.0);
    EXPECT_DOUBLE_EQ(getBatteryTemperature({reading("TG0D", SensorCategory::GPU, 90)}), 30.0);
    EXPECT_FALSE(meanBatteryTemperature({}));
}

} // namespace
} // namespace vantrel
