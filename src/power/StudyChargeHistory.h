#pragma once
// The charge readings of the power-only study log within the telemetry window, kept between
// calls so each call reads only what the study logger appended since the last one (a day
// of 1 Hz samples would otherwise be parsed again every ten seconds while a screen is open).
#include <map>
#include <optional>
#include <utility>

#include <QDateTime>
#include <QString>

#include "power/BatteryTelemetryRecord.h"

namespace vantrel {

class StudyChargeHistory {
public:
    explicit StudyChargeHistory(QString path);

    // Adds the readings at or after cutoff to bySecond (keyed by whole seconds, a later line
    // replacing an earlier one) and keeps those at or after keepFrom for the next call.
    // A log that was replaced, shortened or removed is read again from the start.
    void collect(const QDateTime& cutoff, const QDateTime& keepFrom,
                 std::map<qint64, BatteryTelemetryRecord>& bySecond);

private:
    void reset();

    QString path_;
    qint64 offset_ = 0;
    std::optional<std::pair<quint64, quint64>> identity_; // device and inode of the file read so far
    std::optional<QDateTime> keptFrom_; // readings from here on are all held
    std::map<qint64, BatteryTelemetryRecord> records_;
};

} // namespace vantrel
