#pragma once
// With VANTREL_EVENT_LOOP_PROBE=FILE, measures how late the main thread's event loop runs a
// 100 ms timer: the longest and the 99th-percentile lateness go to FILE (JSON, rewritten every
// second and at exit) and to standard output at exit. Reliability runs read it to show that no
// daemon fault stalls the window.
#include <array>
#include <optional>

#include <QString>

#include "base/Dispatch.h"

namespace vantrel {

class EventLoopProbe {
public:
    static constexpr Duration interval{100};
    // Lateness is counted in 1 ms steps up to this; anything later counts in the last step
    // (the maximum is kept exactly).
    static constexpr int histogramMs = 30000;

    struct Figures {
        long long samples = 0;
        double maxLateMs = 0;
        double p50LateMs = 0;
        double p99LateMs = 0;
        double maxAtSeconds = 0; // since start
        long long readingsPublished = 0;
        double lastReadingAtSeconds = -1; // since start; -1 before the first
        double runSeconds = 0;
    };

    EventLoopProbe(Dispatch& dispatch, QString reportPath, Duration reportEvery = Duration(1000));
    ~EventLoopProbe();
    EventLoopProbe(const EventLoopProbe&) = delete;
    EventLoopProbe& operator=(const EventLoopProbe&) = delete;

    // The report file named by VANTREL_EVENT_LOOP_PROBE, when set.
    static std::optional<QString> requestedPath();

    void start();
    // Stops measuring, writes the report and prints the summary line.
    void stop();
    // The central state published readings (counted so a run can tell that they keep flowing).
    void countReading();

    Figures figures() const;
    // Records one lateness sample (exposed for tests of the figures).
    void record(double lateMs);

private:
    void arm();
    void writeReport() const;

    Dispatch& dispatch_;
    const QString reportPath_;
    const Duration reportEvery_;
    bool running_ = false;
    double startedAt_ = 0;
    double lastReportAt_ = 0;
    CancelToken pending_;
    std::array<long long, histogramMs + 1> histogram_{};
    Figures figures_;
};

} // namespace vantrel
