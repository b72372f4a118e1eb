#pragma once
// The application's own battery history ("battery-telemetry.jsonl", the last 13 hours),
// merged with the charge readings of the power-only study log for the charts. Every read
// and write of the file happens on one serial queue.
#include <optional>
#include <vector>

#include <QByteArray>
#include <QByteArrayView>
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
    // What the file held when this log last read or wrote it: the decoded records in file order
    // and, for each, its line when the line is exactly the record's encoding. While the file is
    // unchanged on disk an append neither reads nor encodes the whole history again.
    struct FileSignature {
        bool exists = false;
        quint64 device = 0;
        quint64 inode = 0;
        qint64 size = 0;
        qint64 modifiedNs = 0;
        bool operator==(const FileSignature&) const = default;
    };
    struct Entry {
        BatteryTelemetryRecord record;
        // Where its line (with the line feed) lies in the image's bytes; −1 when the line is not
        // exactly the record's encoding and must be encoded again.
        qsizetype lineStart = -1;
        qsizetype lineLength = 0;
    };
    struct Image {
        bool loaded = false;
        FileSignature signature;
        QByteArray bytes;
        std::vector<Entry> entries;
        bool sorted = true;
        // bytes are exactly the lines of entries, one after the other: writing entries again
        // would give the same file.
        bool exact = false;
    };

    FileSignature currentSignature() const;
    const Image& image();
    // The records at or after now − hours, by time; lines (when given) receives each one's line
    // in the image (empty when it must be encoded), valid until the image changes.
    std::vector<BatteryTelemetryRecord> loadRecentUnlocked(double hours, const QDateTime& now,
                                                           std::vector<QByteArrayView>* lines = nullptr);
    void writeUnlocked(const std::vector<BatteryTelemetryRecord>& records, const std::vector<QByteArrayView>& lines);
    // Adds next's line to the end of the file when that gives the very file writing keptRecords
    // (the image's records in file order, then next) would; false when it does not apply.
    bool appendUnlocked(const BatteryTelemetryRecord& next, size_t keptRecords);
    // Touches the study history, so only on the queue.
    std::vector<BatteryTelemetryRecord> mergedRecentRecords(const std::vector<BatteryTelemetryRecord>& records,
                                                            double hours, const QDateTime& now);

    QString logURL_;
    QString studyLogURL_;
    Dispatch& dispatch_;
    QueuePtr queue_;
    StudyChargeHistory studyHistory_;
    Image image_;
    WriteFailureLog writeFailures_{QStringLiteral("BatteryTelemetryLog")};
};

} // namespace vantrel
