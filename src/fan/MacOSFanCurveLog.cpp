#include "fan/MacOSFanCurveLog.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include <sys/stat.h>

#include <QFile>

#include "base/AtomicFile.h"
#include "base/JsonLines.h"
#include "base/Paths.h"

namespace vantrel {

const QString MacOSFanCurveLog::queueLabel = QStringLiteral("com.morrowlightco.vantrel.macos-fan-curve-log");

namespace {

constexpr qint64 kRetentionSeconds = 259200; // 72 hours

bool byTime(const ObservedMacOSFanPoint& a, const ObservedMacOSFanPoint& b) { return a.timestamp < b.timestamp; }

// Non-finite numbers have no JSON form; such samples are left out of the file.
bool encodable(const ObservedMacOSFanPoint& p)
{
    return p.timestamp.isValid() && std::isfinite(p.temperature) && std::isfinite(p.fanPercent);
}

} // namespace

MacOSFanCurveLog::MacOSFanCurveLog(const Paths& paths, Dispatch& dispatch)
    : path_(paths.appSupportFile(QStringLiteral("macos-fan-curve.jsonl")))
    , dispatch_(dispatch)
    , queue_(dispatch.makeSerialQueue(queueLabel, QoS::Utility))
{ }

MacOSFanCurveLog::~MacOSFanCurveLog()
{
    queue_->sync([] {});
}

bool MacOSFanCurveLog::isWorthKeeping(const ObservedMacOSFanPoint& last, const ObservedMacOSFanPoint& next)
{
    const double elapsed = static_cast<double>(last.timestamp.msecsTo(next.timestamp)) / 1000.0;
    return elapsed >= minWriteInterval || std::abs(next.temperature - last.temperature) >= 0.5
        || std::abs(static_cast<qint64>(next.rpm) - last.rpm) >= 50 || next.fanMaxRPM != last.fanMaxRPM;
}

MacOSFanCurveLog::FileSignature MacOSFanCurveLog::currentSignature() const
{
    struct stat st { };
    if (::stat(QFile::encodeName(path_).constData(), &st) != 0)
        return {};
    return {true, static_cast<long long>(st.st_size), static_cast<long long>(st.st_ino),
            static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec};
}

const MacOSFanCurveLog::Image& MacOSFanCurveLog::image()
{
    const FileSignature signature = currentSignature();
    if (image_.loaded && image_.signature == signature)
        return image_;
    image_ = Image{};
    image_.loaded = true;
    image_.signature = signature;
    image_.generation = ++generation_;
    const auto bytes = signature.exists ? readFile(path_) : std::nullopt;
    if (!bytes) {
        image_.canonical = !signature.exists; // no file is the encoding of no samples
        return image_;
    }
    // The bytes can be reused for rewrites when every line is exactly what writing its sample
    // gives, in time order, and the file ends with a line feed; otherwise the first kept
    // sample rewrites the file from the decoded samples and makes the image canonical.
    bool canonical = !bytes->isEmpty() && bytes->endsWith('\n');
    const std::string_view content(bytes->constData(), static_cast<size_t>(bytes->size()));
    size_t start = 0;
    while (start < content.size()) {
        size_t end = content.find('\n', start);
        if (end == std::string_view::npos)
            end = content.size();
        const std::string_view raw = content.substr(start, end - start);
        start = end + 1;
        const std::string_view line = jsonl::trimmed(raw);
        if (line.empty()) {
            canonical = false;
            continue;
        }
        bool lineCanonical = false;
        auto point = ObservedMacOSFanPoint::fromLine(line, &lineCanonical);
        if (!point) {
            canonical = false;
            continue;
        }
        canonical = canonical && lineCanonical && line.size() == raw.size()
            && (image_.lines.empty() || !byTime(*point, image_.lines.back().point));
        image_.lines.push_back({std::move(*point), static_cast<qsizetype>(raw.size() + 1)});
    }
    image_.canonical = canonical;
    if (canonical)
        image_.bytes = *bytes;
    return image_;
}

std::vector<ObservedMacOSFanPoint> MacOSFanCurveLog::recent(double hours)
{
    const Image& img = image();
    const QDateTime cutoff
        = dispatch_.clock().now().addMSecs(-static_cast<qint64>(std::llround(hours * 3600.0 * 1000.0)));
    std::vector<ObservedMacOSFanPoint> out;
    if (img.canonical) {
        const auto it = std::partition_point(img.lines.begin(), img.lines.end(),
                                             [&](const Line& line) { return line.point.timestamp < cutoff; });
        const auto first = static_cast<size_t>(it - img.lines.begin());
        out.reserve(img.lines.size() - first);
        for (size_t i = first; i < img.lines.size(); ++i)
            out.push_back(img.lines[i].point);
        return out;
    }
    for (const auto& line : img.lines)
        if (!(line.point.timestamp < cutoff))
            out.push_back(line.point);
    std::stable_sort(out.begin(), out.end(), byTime);
    return out;
}

std::vector<ObservedMacOSFanPoint> MacOSFanCurveLog::loadRecent(double hours)
{
    std::vector<ObservedMacOSFanPoint> result;
    queue_->sync([&] { result = recent(hours); });
    return result;
}

std::vector<ObservedMacOSFanPoint> MacOSFanCurveLog::appendAndLoadRecent(const ObservedMacOSFanPoint& point)
{
    std::vector<ObservedMacOSFanPoint> result;
    queue_->sync([&] {
        result = recent(retentionHours);
        // A sample without a valid time cannot be placed in the log.
        if (!point.timestamp.isValid())
            return;
        if (!result.empty() && !isWorthKeeping(result.back(), point))
            return;
        const size_t loadedCount = result.size();
        result.push_back(point);
        // The loaded samples are sorted, so only a leading run can be too old; the new sample never is.
        const QDateTime limit = point.timestamp.addSecs(-kRetentionSeconds);
        const auto tooOld
            = std::partition_point(result.begin(), result.end(), [&](const auto& s) { return s.timestamp < limit; });
        const auto droppedCount = std::min(static_cast<size_t>(tooOld - result.begin()), loadedCount);
        result.erase(result.begin(), tooOld);

        WritePlan plan;
        plan.generation = image_.generation;
        if (image_.canonical) {
            // result = the image's last (loadedCount − droppedCount) lines, then the new sample.
            plan.dropFront = image_.lines.size() - (loadedCount - droppedCount);
            plan.append = {point};
        } else {
            plan.rewrite = true;
            plan.append = result;
        }
        queue_->async([this, plan = std::move(plan)] { write(plan); });
    });
    return result;
}

void MacOSFanCurveLog::write(const WritePlan& plan)
{
    // The file was replaced behind the log's back since the plan was made: leave it alone, the
    // next kept sample writes from what it then reads.
    if (plan.generation != image_.generation)
        return;
    if (plan.rewrite) {
        image_.bytes.clear();
        image_.lines.clear();
    } else {
        qsizetype offset = 0;
        for (size_t i = 0; i < plan.dropFront; ++i)
            offset += image_.lines[i].length;
        image_.bytes.remove(0, offset);
        image_.lines.erase(image_.lines.begin(), image_.lines.begin() + static_cast<std::ptrdiff_t>(plan.dropFront));
    }
    const size_t firstNew = image_.lines.size();
    for (const auto& sample : plan.append) {
        if (!encodable(sample))
            continue;
        const QJsonObject record = sample.toJson();
        // Keep what reading the line back gives (whole-second time stamps), not the sample itself.
        auto stored = ObservedMacOSFanPoint::fromJson(record);
        if (!stored)
            continue;
        const QByteArray line = jsonl::encodeLine(record);
        image_.bytes.append(line);
        image_.lines.push_back({std::move(*stored), line.size()});
    }
    // A canonical image was in order already; only the lines just added can break it.
    const size_t checkFrom = !plan.rewrite && firstNew > 0 ? firstNew - 1 : 0;
    image_.canonical = std::is_sorted(image_.lines.begin() + static_cast<std::ptrdiff_t>(checkFrom), image_.lines.end(),
                                      [](const Line& a, const Line& b) { return byTime(a.point, b.point); });
    if (image_.bytes.isEmpty()) {
        // The file always ends with a line feed, even with no line before it.
        image_.bytes = "\n";
        image_.canonical = false;
    }
    QString error;
    if (!writeFailures_.note(writeFileAtomically(path_, image_.bytes, std::nullopt, &error), path_, error)) {
        image_.loaded = false; // failures are ignored; the next call reads whatever the file holds
        return;
    }
    image_.signature = currentSignature();
}

} // namespace vantrel
