#pragma once
// The groups of the SMC sensor catalogue, and the temperature ranges readings must fall in.
#include <QString>

namespace vantrel {

enum class SensorCategory {
    CPU,
    GPU,
    Battery,
    SSD,
    Airflow,
    Other
};

// The catalogue's own name of a category: "CPU", "GPU", "Battery", "SSD", "Airflow", "Other".
QString sensorCategoryName(SensorCategory category);

// An open interval of plausible temperatures in °C.
struct ReadingRange {
    double low;
    double high;
    constexpr bool contains(double celsius) const { return celsius > low && celsius < high; }
};

// A catalogue value outside this range is not a temperature of this machine and is not a reading.
inline constexpr ReadingRange catalogueReadingRange{0.0, 150.0};
// The sensor sheet shows readings in this range only.
inline constexpr ReadingRange displayedReadingRange{0.0, 120.0};

} // namespace vantrel
