#include "sensors/SensorCategory.h"

namespace vantrel {

QString sensorCategoryName(SensorCategory category)
{
    switch (category) {
    case SensorCategory::CPU:
        return QStringLiteral("CPU");
    case SensorCategory::GPU:
        return QStringLiteral("GPU");
    case SensorCategory::Battery:
        return QStringLiteral("Battery");
    case SensorCategory::SSD:
        return QStringLiteral("SSD");
    case SensorCategory::Airflow:
        return QStringLiteral("Airflow");
    case SensorCategory::Other:
        break;
    }
    return QStringLiteral("Other");
}

} // namespace vantrel
