#pragma once
// One temperature reading of the sensor catalogue.
#include <QString>
#include <QUuid>

#include "sensors/SensorCategory.h"

namespace vantrel {

struct SensorReading {
    QUuid id; // fresh for every reading built
    QString key; // four-character SMC key, e.g. "TG0D"
    QString label; // English label from the catalogue
    SensorCategory category = SensorCategory::Other;
    double value = 0; // degrees Celsius
};

} // namespace vantrel
