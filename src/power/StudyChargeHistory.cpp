#include "power/StudyChargeHistory.h"

#include <algorithm>
#include <cmath>

#include <sys/stat.h>

#include <QFile>

#include "power/StudyLogReader.h"

namespace vantrel {
namespace {

// Epoch values beyond the year 9999 cannot be a reading; they are dropped, not converted.
constexpr double latestEpoch = 253402300799.0;

double epochOf(const QDateTime& t) { return static_cast<double>(t.toMSecsSinceEpoch()) / 1000.0; }

std::optional<BatteryTelemetryRecord> chargeRecord(std::string_view line)
{
    const auto sample = OnlyPowerBatteryTelemetrySample::fromLine(line);
    if (!sample || !sample->stateOfChargePercent || !std::isfinite(sample->epochSeconds)
        || std::fabs(sample->epochSeconds) > latestEpoch)
        return std::nullopt;
    BatteryTelemetryRecord r;
    r.timestamp = QDateTime::fromMSecsSinceEpoch(std::llround(sample->epochSeconds * 1000.0), Qt::UTC);
    r.percent = static_cast<int>(std::clamp<qint64>(*sample->stateOfChargePercent, 0, 100));
    r.isCharging = sample->isCharging.value_or(false);
    return r;
}

} // namespace

StudyChargeHistory::StudyChargeHistory(QString path)
    : path_(std::move(path))
{ }

void StudyChargeHistory::reset()
{
    offset_ = 0;
    identity_.reset();
    keptFrom_.reset();
    records_.clear();
}

void StudyChargeHistory::collect(const QDateTime& cutoff, const QDateTime& keepFrom,
                                 std::map<qint64, BatteryTelemetryRecord>& bySecond)
{
    struct stat info { };
    if (::stat(QFile::encodeName(path_).constData(), &info) != 0) {
        reset();
        return;
    }
    const std::pair<quint64, quint64> identity{static_cast<quint64>(info.st_dev), static_cast<quint64>(info.st_ino)};
    const QDateTime from = std::min(cutoff, keepFrom);
    // Read from the start when the file is another one, lost lines, or when the window now
    // reaches further back than what was kept (the clock went back, or a longer window).
    if (identity_ != identity || info.st_size < offset_ || !keptFrom_ || from < *keptFrom_) {
        reset();
        identity_ = identity;
        keptFrom_ = from;
    }
    const qint64 end = StudyLogReader::forEachLineFrom(
        path_, offset_,
        [&](std::string_view line) {
        if (auto r = chargeRecord(line); r && r->timestamp >= *keptFrom_)
            records_.insert_or_assign(r->timestamp.toSecsSinceEpoch(), *r);
        },
        epochOf(*keptFrom_));
    if (end < 0) {
        reset();
        return;
    }
    offset_ = end;
    while (!records_.empty() && records_.begin()->second.timestamp < from)
        records_.erase(records_.begin());
    keptFrom_ = from;
    for (const auto& [second, record] : records_)
        if (record.timestamp >= cutoff)
            bySecond.insert_or_assign(second, record);
}

} // namespace vantrel
