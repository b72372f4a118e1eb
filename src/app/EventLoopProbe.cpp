#include "app/EventLoopProbe.h"

#include <algorithm>
#include <cmath>

#include <QJsonObject>

#include "base/AtomicFile.h"
#include "base/JsonAccess.h"
#include "base/Log.h"

namespace vantrel {

namespace {

double rounded(double ms) { return std::round(ms * 10.0) / 10.0; }

} // namespace

EventLoopProbe::EventLoopProbe(Dispatch& dispatch, QString reportPath, Duration reportEvery)
    : dispatch_(dispatch)
    , reportPath_(std::move(reportPath))
    , reportEvery_(reportEvery)
{ }

EventLoopProbe::~EventLoopProbe()
{
    if (pending_)
        pending_->cancel();
}

std::optional<QString> EventLoopProbe::requestedPath()
{
    const QString path = qEnvironmentVariable("VANTREL_EVENT_LOOP_PROBE");
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

void EventLoopProbe::start()
{
    if (running_)
        return;
    running_ = true;
    startedAt_ = dispatch_.clock().uptimeSeconds();
    lastReportAt_ = startedAt_;
    arm();
}

void EventLoopProbe::arm()
{
    const double armedAt = dispatch_.clock().uptimeSeconds();
    // The probe lives as long as the event loop it measures; stop() cancels what is armed.
    pending_ = dispatch_.after(dispatch_.main(), interval, [this, armedAt] {
        if (!running_)
            return;
        const double now = dispatch_.clock().uptimeSeconds();
        record((now - armedAt) * 1000.0 - static_cast<double>(interval.count()));
        if ((now - lastReportAt_) * 1000.0 >= static_cast<double>(reportEvery_.count())) {
            lastReportAt_ = now;
            writeReport();
        }
        arm();
    });
}

void EventLoopProbe::record(double lateMs)
{
    lateMs = std::max(0.0, lateMs);
    const double at = dispatch_.clock().uptimeSeconds() - startedAt_;
    ++figures_.samples;
    if (lateMs > figures_.maxLateMs) {
        figures_.maxLateMs = lateMs;
        figures_.maxAtSeconds = at;
    }
    ++histogram_[static_cast<size_t>(std::min<double>(std::floor(lateMs), histogramMs))];
}

void EventLoopProbe::countReading()
{
    ++figures_.readingsPublished;
    figures_.lastReadingAtSeconds = dispatch_.clock().uptimeSeconds() - startedAt_;
}

EventLoopProbe::Figures EventLoopProbe::figures() const
{
    Figures f = figures_;
    f.runSeconds = running_ ? dispatch_.clock().uptimeSeconds() - startedAt_ : f.runSeconds;
    if (f.samples == 0)
        return f;
    // The smallest step that has at least the share of samples at or below it.
    const auto percentile = [this, &f](double share) {
        const auto wanted = static_cast<long long>(std::ceil(share * static_cast<double>(f.samples)));
        long long seen = 0;
        for (int ms = 0; ms <= histogramMs; ++ms) {
            seen += histogram_[static_cast<size_t>(ms)];
            if (seen >= wanted)
                return std::min<double>(ms + 1, f.maxLateMs);
        }
        return f.maxLateMs;
    };
    f.p50LateMs = percentile(0.50);
    f.p99LateMs = percentile(0.99);
    return f;
}

void EventLoopProbe::writeReport() const
{
    const Figures f = figures();
    const QJsonObject report{{QStringLiteral("samples"), f.samples},
                             {QStringLiteral("interval_ms"), static_cast<qint64>(interval.count())},
                             {QStringLiteral("max_late_ms"), rounded(f.maxLateMs)},
                             {QStringLiteral("max_at_s"), rounded(f.maxAtSeconds)},
                             {QStringLiteral("p50_late_ms"), rounded(f.p50LateMs)},
                             {QStringLiteral("p99_late_ms"), rounded(f.p99LateMs)},
                             {QStringLiteral("readings_published"), f.readingsPublished},
                             {QStringLiteral("last_reading_at_s"), rounded(f.lastReadingAtSeconds)},
                             {QStringLiteral("run_s"), rounded(f.runSeconds)},
                             {QStringLiteral("running"), running_}};
    QString error;
    if (!writeFileAtomically(reportPath_, json::compact(report) + '\n', std::nullopt, &error))
        logLine(QStringLiteral("Vantrel event loop probe: cannot write %1: %2").arg(reportPath_, error));
}

void EventLoopProbe::stop()
{
    if (!running_)
        return;
    figures_.runSeconds = dispatch_.clock().uptimeSeconds() - startedAt_;
    running_ = false;
    if (pending_)
        pending_->cancel();
    writeReport();
    const Figures f = figures();
    logLine(QStringLiteral("Vantrel event loop: %1 samples over %2 s, late max %3 ms (at %4 s), p99 %5 ms, p50 %6 ms")
                .arg(f.samples)
                .arg(rounded(f.runSeconds))
                .arg(rounded(f.maxLateMs))
                .arg(rounded(f.maxAtSeconds))
                .arg(rounded(f.p99LateMs))
                .arg(rounded(f.p50LateMs)));
}

} // namespace vantrel
