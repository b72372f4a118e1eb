#include "power/BatteryTelemetryLog.h"

#include <algorithm>
#include <cmath>
#include <map>

#include <string_view>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
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
        std::vector<QByteArrayView> lines;
        auto records = loadRecentUnlocked(retentionHours, now, &lines);
        BatteryTelemetryRecord next{now, std::clamp(percent, 0, 100), temperature, isCharging};
        if (temperature && !std::isfinite(*temperature))
            next.temperature.reset();
        const std::optional<BatteryTelemetryRecord> last
            = records.empty() ? std::nullopt : std::optional(records.back());
        if (shouldAppend(next, last)) {
            records.push_back(next);
            lines.emplace_back();
            // The loaded records are all within the window already, so pruning can only take the
            // new one (never, as it is taken now); the lines stay paired with their records.
            const auto kept = prune(records, now);
            if (kept.size() != records.size()) {
                records = kept;
                lines.assign(records.size(), QByteArrayView());
            }
            if (!appendUnlocked(next, records.size()))
                writeUnlocked(records, lines);
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

BatteryTelemetryLog::FileSignature BatteryTelemetryLog::currentSignature() const
{
    struct stat st { };
    if (::stat(QFile::encodeName(logURL_).constData(), &st) != 0)
        return {};
    return {true, static_cast<quint64>(st.st_dev), static_cast<quint64>(st.st_ino), static_cast<qint64>(st.st_size),
            static_cast<qint64>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec};
}

const BatteryTelemetryLog::Image& BatteryTelemetryLog::image()
{
    const FileSignature signature = currentSignature();
    if (image_.loaded && image_.signature == signature)
        return image_;
    image_ = Image{};
    image_.loaded = true;
    image_.signature = signature;
    QFile file(logURL_);
    if (!signature.exists || !file.open(QIODevice::ReadOnly))
        return image_;
    image_.bytes = file.readAll();
    bool exact = image_.bytes.isEmpty() || image_.bytes.endsWith('\n');
    const std::string_view text(image_.bytes.constData(), static_cast<size_t>(image_.bytes.size()));
    image_.entries.reserve(static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view raw = text.substr(start, end - start);
        const size_t rawStart = start;
        start = end + 1;
        const std::string_view line = jsonl::trimmed(raw);
        if (line.empty()) {
            exact = false;
            continue;
        }
        bool canonical = false;
        auto record = BatteryTelemetryRecord::fromLine(line, &canonical);
        if (!record) {
            exact = false;
            continue;
        }
        Entry entry{std::move(*record)};
        // Reusable as it stands: the line with nothing around it and its line feed.
        if (canonical && line.size() == raw.size() && end < text.size()) {
            entry.lineStart = static_cast<qsizetype>(rawStart);
            entry.lineLength = static_cast<qsizetype>(raw.size() + 1);
        } else {
            exact = false;
        }
        if (!image_.entries.empty() && entry.record.timestamp < image_.entries.back().record.timestamp)
            image_.sorted = false;
        image_.entries.push_back(std::move(entry));
    }
    image_.exact = exact;
    return image_;
}

std::vector<BatteryTelemetryRecord> BatteryTelemetryLog::loadRecentUnlocked(double hours, const QDateTime& now,
                                                                            std::vector<QByteArrayView>* lines)
{
    const QDateTime cutoff = hoursBefore(now, hours);
    const Image& img = image();
    std::vector<const Entry*> kept;
    kept.reserve(img.entries.size());
    for (const auto& entry : img.entries)
        if (entry.record.timestamp >= cutoff)
            kept.push_back(&entry);
    if (!img.sorted)
        std::stable_sort(kept.begin(), kept.end(),
                         [](const Entry* a, const Entry* b) { return a->record.timestamp < b->record.timestamp; });
    std::vector<BatteryTelemetryRecord> records;
    records.reserve(kept.size());
    if (lines) {
        lines->clear();
        lines->reserve(kept.size() + 1);
    }
    for (const Entry* entry : kept) {
        records.push_back(entry->record);
        if (lines)
            lines->push_back(entry->lineStart < 0
                                 ? QByteArrayView()
                                 : QByteArrayView(img.bytes.constData() + entry->lineStart, entry->lineLength));
    }
    return records;
}

void BatteryTelemetryLog::writeUnlocked(const std::vector<BatteryTelemetryRecord>& records,
                                        const std::vector<QByteArrayView>& lines)
{
    Image written;
    written.loaded = true;
    written.exact = true;
    written.entries.reserve(records.size());
    qsizetype size = 0;
    for (const auto& line : lines)
        size += line.isEmpty() ? 96 : line.size();
    written.bytes.reserve(size);
    for (size_t i = 0; i < records.size(); ++i) {
        const auto& r = records[i];
        if (!r.timestamp.isValid())
            continue;
        const qsizetype start = written.bytes.size();
        if (i < lines.size() && !lines[i].isEmpty()) {
            written.bytes.append(lines[i]);
            written.entries.push_back({r, start, lines[i].size()});
            continue;
        }
        const QJsonObject object = r.toJson();
        const QByteArray line = jsonl::encodeLine(object);
        written.bytes.append(line);
        // Keep what reading the line back gives (whole-second time stamps), not the record itself.
        if (auto stored = BatteryTelemetryRecord::fromJson(object))
            written.entries.push_back({std::move(*stored), start, line.size()});
        else
            written.exact = false;
    }
    // A failed write leaves the previous file in place; the next reading tries again.
    QString error;
    const bool saved = writeFileAtomically(logURL_, written.bytes, std::nullopt, &error);
    writeFailures_.note(saved, logURL_, error);
    if (!saved) {
        image_.loaded = false;
        return;
    }
    for (size_t i = 1; i < written.entries.size() && written.sorted; ++i)
        written.sorted = !(written.entries[i].record.timestamp < written.entries[i - 1].record.timestamp);
    written.signature = currentSignature();
    image_ = std::move(written);
}

bool BatteryTelemetryLog::appendUnlocked(const BatteryTelemetryRecord& next, size_t keptRecords)
{
    // Only when the file is exactly the image, in time order, and every record in it stays: then
    // the rewrite would write the same bytes plus next's line. A missing file goes the long way,
    // which also creates the folder.
    if (!image_.loaded || !image_.exact || !image_.sorted || !image_.signature.exists
        || keptRecords != image_.entries.size() + 1 || !next.timestamp.isValid())
        return false;
    const QJsonObject object = next.toJson();
    auto stored = BatteryTelemetryRecord::fromJson(object);
    if (!stored)
        return false;
    const QByteArray line = jsonl::encodeLine(object);
    const int fd = ::open(QFile::encodeName(logURL_).constData(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (fd < 0)
        return false;
    const ssize_t written = ::write(fd, line.constData(), static_cast<size_t>(line.size()));
    ::close(fd);
    // On any failure the whole atomic rewrite follows, which also replaces a torn line.
    if (written != line.size())
        return false;
    const qsizetype start = image_.bytes.size();
    image_.bytes.append(line);
    if (!image_.entries.empty() && stored->timestamp < image_.entries.back().record.timestamp)
        image_.sorted = false;
    image_.entries.push_back({std::move(*stored), start, line.size()});
    image_.signature = currentSignature();
    return true;
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
