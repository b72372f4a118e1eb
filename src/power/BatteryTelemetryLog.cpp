#include "power/BatteryTelemetryLog.h"

#include <algorithm>
#include <cmath>
#include <map>

#include <QJsonObject>

#include "base/AtomicFile.h"
#include "base/JsonLines.h"
#include "base/Paths.h"

namespace vantrel {

const QString BatteryTelemetryLog::queueLabel = QStringLiteral("com.morrowlightco.vantrel.battery-telemetry-log");

namespace {

constexpr double meaningfulTemperatureChange = 0.4;
// 30.4 − 30.0 is 0.39999… in binary; a change of 0.4 °C as written must count.
constexpr double temperatureTolerance = 1e-9;
// A window of no length for nonsense, and at most about a century back.
QDateTime hoursBefore(const QDateTime& now, double hours)
{
    const double bounded = std::isfinite(hours) ? std::clamp(hours, 0.0, 1.0e6) : 0.0;
    return now.addMSecs(-static_cast<qint64>(std::llround(bounded * 3600.0 * 1000.0)));
}

void sortByTime(std::vector<BatteryTelemetryRecord>& records)
{
    std::stable_sort(records.begin(), records.end(),
                     [](const auto& a, const auto& b) { return a.timestamp < b.timestamp; });
}

} // namespace

BatteryTelemetryLog::BatteryTelemetryLog(const Paths& paths, Dispatch& dispatch)
    : logURL_(paths.appSupportFile(QStringLiteral("battery-telemetry.jsonl")))
    , studyLogURL_(paths.appSupportFile(QStringLiteral("only-power-cycle-study/samples.jsonl")))
    , dispatch_(dispatch)
    , queue_(dispatch.makeSerialQueue(queueLabel, QoS::Utility))
    , studyHistory_(studyLogURL_)
{ }

std::vector<BatteryTelemetryRecord>
BatteryTelemetryLog::appendAndLoadRecent(int percent, std::optional<double> temperature, bool isCharging)
{
    std::vector<BatteryTelemetryRecord> result;
    queue_->sync([&] {
        const QDateTime now = dispatch_.clock().now();
        auto records = loadRecentUnlocked(retentionHours, now);
        BatteryTelemetryRecord next{now, std::clamp(percent, 0, 100), temperature, isCharging};
        if (temperature && !std::isfinite(*temperature))
            next.temperature.reset();
        const std::optional<BatteryTelemetryRecord> last
            = records.empty() ? std::nullopt : std::optional(records.back());
        if (shouldAppend(next, last)) {
            records.push_back(next);
            records = prune(std::move(records), now);
            writeUnlocked(records);
        }
        result = mergedRecentRecords(records, chartHours, now);
    });
    return result;
}

std::vector<BatteryTelemetryRecord> BatteryTelemetryLog::loadRecent(double hours)
{
    std::vector<BatteryTelemetryRecord> result;
    queue_->sync([&] {
        const QDateTime now = dispatch_.clock().now();
        result = mergedRecentRecords(loadRecentUnlocked(hours, now), hours, now);
    });
    return result;
}

bool BatteryTelemetryLog::shouldAppend(const BatteryTelemetryRecord& next,
                                       const std::optional<BatteryTelemetryRecord>& last)
{
    if (!last)
        return true;
    // A reading from before the last one (the clock went back) is not "soon after" it.
    const qint64 intervalMs = last->timestamp.msecsTo(next.timestamp);
    const bool soon = intervalMs >= 0 && static_cast<double>(intervalMs) < minWriteInterval * 1000.0;
    bool temperatureChanged = false;
    if (next.temperature.has_value() != last->temperature.has_value())
        temperatureChanged = true;
    else if (next.temperature)
        temperatureChanged
            = std::fabs(*next.temperature - *last->temperature) + temperatureTolerance >= meaningfulTemperatureChange;
    return !(soon && next.percent == last->percent && next.isCharging == last->isCharging && !temperatureChanged);
}

std::vector<BatteryTelemetryRecord> BatteryTelemetryLog::prune(std::vector<BatteryTelemetryRecord> records,
                                                               const QDateTime& now)
{
    const QDateTime cutoff = hoursBefore(now, retentionHours);
    std::erase_if(records, [&](const auto& r) { return r.timestamp < cutoff; });
    return records;
}

std::vector<BatteryTelemetryRecord> BatteryTelemetryLog::loadRecentUnlocked(double hours, const QDateTime& now) const
{
    const QDateTime cutoff = hoursBefore(now, hours);
    std::vector<BatteryTelemetryRecord> records;
    for (const QJsonObject& o : jsonl::read(logURL_)) {
        auto record = BatteryTelemetryRecord::fromJson(o);
        if (record && record->timestamp >= cutoff)
            records.push_back(std::move(*record));
    }
    sortByTime(records);
    return records;
}

void BatteryTelemetryLog::writeUnlocked(const std::vector<BatteryTelemetryRecord>& records) const
{
    std::vector<QJsonObject> lines;
    lines.reserve(records.size());
    for (const auto& r : records)
        if (r.timestamp.isValid())
            lines.push_back(r.toJson());
    // A failed write leaves the previous file in place; the next reading tries again.
    QString error;
    writeFailures_.note(writeFileAtomically(logURL_, jsonl::encode(lines), std::nullopt, &error), logURL_, error);
}

std::vector<BatteryTelemetryRecord>
BatteryTelemetryLog::mergedRecentRecords(const std::vector<BatteryTelemetryRecord>& records, double hours,
                                         const QDateTime& now)
{
    const QDateTime cutoff = hoursBefore(now, hours);
    // Keyed by whole seconds: a later entry replaces an earlier one, so an own record wins
    // over a study sample of the same second.
    std::map<qint64, BatteryTelemetryRecord> bySecond;
    studyHistory_.collect(cutoff, hoursBefore(now, retentionHours), bySecond);
    for (const auto& r : records)
        if (r.timestamp >= cutoff)
            bySecond.insert_or_assign(r.timestamp.toSecsSinceEpoch(), r);
    std::vector<BatteryTelemetryRecord> merged;
    merged.reserve(bySecond.size());
    for (auto& [second, record] : bySecond)
        merged.push_back(std::move(record));
    sortByTime(merged);
    return merged;
}

} // namespace vantrel
