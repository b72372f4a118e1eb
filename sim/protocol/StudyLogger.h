#pragma once
// The power-only study sample log, as the outside study logger writes it: one JSON line per
// interval of simulated time with the battery and power figures of the moment.
#include <optional>

#include <QJsonObject>
#include <QString>

#include "sim/model/SimulatedMac.h"

namespace vantrel::sim {

class StudyLogger {
public:
    // An empty path or an interval of 0 switches the log off.
    StudyLogger(QString path, int intervalSeconds)
        : path_(std::move(path))
        , interval_(intervalSeconds)
    { }

    bool enabled() const { return !path_.isEmpty() && interval_ > 0; }
    QString path() const { return path_; }
    // Appends a sample when one is due at the machine's current time.
    void step(const SimulatedMac& mac);

    static QJsonObject sample(const SimulatedMac& mac);

private:
    QString path_;
    int interval_;
    std::optional<double> nextDue_;
};

} // namespace vantrel::sim
