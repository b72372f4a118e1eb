#pragma once
// Reads the power-only study log and integrates the current day into one snapshot.
// The store keeps no state: every load reads the log afresh.
#include <functional>
#include <optional>
#include <vector>

#include <QDateTime>
#include <QString>
#include <QTimeZone>

#include "power/OnlyPowerEnergySnapshot.h"

namespace vantrel {

class Paths;

class OnlyPowerEnergyStore {
public:
    // batteryMaximumCapacityPercent reads the live battery health from the power sources;
    // zone decides where the calendar day starts (the system's zone in the application).
    OnlyPowerEnergyStore(const Paths& paths, std::function<std::optional<double>()> batteryMaximumCapacityPercent,
                         QTimeZone zone = QTimeZone::systemTimeZone());

    // <Application Support>/Vantrel/only-power-cycle-study/samples.jsonl
    QString logURL() const { return logURL_; }

    // The snapshot of the calendar day that contains now.
    OnlyPowerEnergySnapshot load(const QDateTime& now) const;

    // Integrates samples (ascending by time) observed from observationStart to observationEnd,
    // both in seconds since 1970.
    OnlyPowerEnergySnapshot integrate(std::vector<OnlyPowerEnergySample> samples, double observationStart,
                                      double observationEnd) const;

private:
    QString logURL_;
    std::function<std::optional<double>()> batteryMaximumCapacityPercent_;
    QTimeZone zone_;
};

} // namespace vantrel
