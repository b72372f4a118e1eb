#pragma once
// One temperature reading of the sensor catalogue.
#include <QString>
#include <QUuid>

namespace vantrel {

struct SensorReading {
    QUuid id;         // fresh for every reading built
    QString key;      // four-character SMC key, e.g. "TG0D"
    QString label;    // English label from the catalogue
    QString category; // "CPU", "GPU", "Battery", "SSD", "Airflow" or "Other"
    double value = 0; // degrees Celsius
};

} // namespace vantrel
