#pragma once
// The application's own battery history ("battery-telemetry.jsonl", the last 13 hours),
// merged with the charge readings of the power-only study log for the charts. Every read
// and write of the file happens on one serial queue.
#include <optional>
#include <vector>

#include <QDateTime>
#include <QString>

#include "base/Dispatch.h"
#include "base/WriteFailureLog.h"
#include "power/BatteryTelemetryRecord.h"
#include "power/StudyChargeHistory.h"

namespace vantrel {

class Paths;

class BatteryTelemetryLog {
public:
    static constexpr double retentionHours = 13.0;
    static constexpr double minWriteInterval = 55.0; // seconds
    static constexpr double chartHours = 12.0;
    static const QString queueLabel; // "com.morrowlightco.vantrel.battery-telemetry-log"

    BatteryTelemetryLog(const Paths& paths, Dispatch& dispatch);

    // Adds the reading when it is new enough and returns the merged last twelve hours.
    // Blocks the caller for the short read-modify-write on the log's queue.
    std::vector<BatteryTelemetryRecord> appendAndLoadRecent(int percent, std::optional<double> temperature,
                                                            bool isCharging);
    // The merged history of the last hours, adding nothing.
    std::vector<BatteryTelemetryRecord> loadRecent(double hours);

    QString logURL() const { return logURL_; }
    QString onlyPowerStudyLogURL() const { return studyLogURL_; }

    // False only when next comes less than 55 s after last with the same percent, the same
    // charging flag and temperatures that differ by less than 0.4 °C (or are both unknown).
    static bool shouldAppend(const BatteryTelemetryRecord& next, const std::optional<BatteryTelemetryRecord>& last);
    // The records at or after now − 13 h.
    static std::vector<BatteryTelemetryRecord> prune(std::vector<BatteryTelemetryRecord> records, const QDateTime& now);

private:
    std::vector<BatteryTelemetryRecord> loadRecentUnlocked(double hours, const QDateTime& now) const;
    void writeUnlocked(const std::vector<BatteryTelemetryRecord>& records) const;
    // Touches the study history, so only on the queue.
    std::vector<BatteryTelemetryRecord> mergedRecentRecords(const std::vector<BatteryTelemetryRecord>& records,
                                                            double hours, const QDateTime& now);

    QString logURL_;
    QString studyLogURL_;
    Dispatch& dispatch_;
    QueuePtr queue_;
    StudyChargeHistory studyHistory_;
    mutable WriteFailureLog writeFailures_{QStringLiteral("BatteryTelemetryLog")};
};

} // namespace vantrel
