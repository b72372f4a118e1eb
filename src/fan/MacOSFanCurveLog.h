#pragma once
// The fan-behaviour log "macos-fan-curve.jsonl": up to 72 hours of observations of the stock
// fan control, one JSON object per line. All file work runs on the log's own serial queue.
#include <optional>
#include <vector>

#include <QByteArray>
#include <QString>

#include "base/Dispatch.h"
#include "base/WriteFailureLog.h"
#include "fan/ObservedMacOSFanPoint.h"

namespace vantrel {

class Paths;

class MacOSFanCurveLog {
public:
    static constexpr double retentionHours = 72.0;
    static constexpr double minWriteInterval = 10.0;
    static const QString queueLabel; // "com.morrowlightco.vantrel.macos-fan-curve-log"

    MacOSFanCurveLog(const Paths& paths, Dispatch& dispatch);
    // Waits for a rewrite still queued, so the last kept sample reaches the file.
    ~MacOSFanCurveLog();
    MacOSFanCurveLog(const MacOSFanCurveLog&) = delete;
    MacOSFanCurveLog& operator=(const MacOSFanCurveLog&) = delete;

    QString fileURL() const { return path_; }

    // Loads the last 72 hours, keeps point when it is worth keeping against the newest loaded
    // sample, and returns what the file then holds (or the loaded samples when point was dropped).
    // Runs synchronously on the log queue; rewriting the file is queued right behind it on the same
    // queue, so the caller does not wait for the disk and the next call sees the written file.
    std::vector<ObservedMacOSFanPoint> appendAndLoadRecent(const ObservedMacOSFanPoint& point);
    // Samples not older than now − hours, oldest first; unreadable lines are skipped.
    std::vector<ObservedMacOSFanPoint> loadRecent(double hours);

    // At least 10 s later, 0.5 °C or 50 rpm apart, or another maximum speed.
    static bool isWorthKeeping(const ObservedMacOSFanPoint& last, const ObservedMacOSFanPoint& next);

private:
    // What the file held when this log last read or wrote it. Reloading and re-encoding three days
    // of samples on every tick is what makes the log expensive, so while the file is unchanged on
    // disk the decoded lines and the bytes are reused.
    struct FileSignature {
        bool exists = false;
        long long size = 0;
        long long inode = 0;
        long long modifiedNs = 0;
        bool operator==(const FileSignature&) const = default;
    };
    struct Line {
        ObservedMacOSFanPoint point;
        qsizetype length = 0; // bytes of the line including its line feed
    };
    struct Image {
        bool loaded = false;
        FileSignature signature;
        QByteArray bytes;
        std::vector<Line> lines;
        // bytes is exactly the encoding of lines, one per line, in ascending time order; only
        // then can a rewrite reuse the bytes instead of encoding every sample again.
        bool canonical = false;
        unsigned long long generation = 0; // which read of the file this image started from
    };

    // How the file changes for one kept sample: either the image minus its oldest lines plus the
    // new sample, or (when the image is not canonical) a rewrite of every sample.
    struct WritePlan {
        unsigned long long generation = 0;
        bool rewrite = false;
        size_t dropFront = 0;
        std::vector<ObservedMacOSFanPoint> append;
    };

    FileSignature currentSignature() const;
    const Image& image();
    std::vector<ObservedMacOSFanPoint> recent(double hours);
    void write(const WritePlan& plan);

    QString path_;
    Dispatch& dispatch_;
    QueuePtr queue_;
    Image image_;
    unsigned long long generation_ = 0;
    WriteFailureLog writeFailures_{QStringLiteral("MacOSFanCurveLog")};
};

} // namespace vantrel
