#include "power/StudyLogReader.h"

#include <charconv>
#include <cstring>
#include <optional>
#include <string_view>

#include <QByteArray>
#include <QFile>
#include <QJsonDocument>

namespace vantrel {
namespace {

constexpr qint64 blockSize = 1 << 20;
// No sample comes near this; a longer "line" is damage and is skipped rather than buffered.
constexpr qsizetype maxLineBytes = 1 << 20;

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The value of "epoch_seconds" read straight from the text, when the text makes it certain:
// the key occurs exactly once, unescaped, followed by a number. If that single occurrence
// is not the top-level key, the line has no top-level "epoch_seconds" and cannot decode,
// so skipping it on this value is still right. Lines with \u escapes (which could spell
// the key differently) are left to the full parser.
std::optional<double> quickEpoch(std::string_view line)
{
    static constexpr std::string_view key = "\"epoch_seconds\"";
    const size_t at = line.find(key);
    if (at == std::string_view::npos || line.find(key, at + 1) != std::string_view::npos
        || line.find("\\u") != std::string_view::npos)
        return std::nullopt;
    size_t i = at + key.size();
    while (i < line.size() && isSpace(line[i]))
        ++i;
    if (i >= line.size() || line[i] != ':')
        return std::nullopt;
    ++i;
    while (i < line.size() && isSpace(line[i]))
        ++i;
    double value = 0;
    const auto [end, ec] = std::from_chars(line.data() + i, line.data() + line.size(), value);
    if (ec != std::errc() || end == line.data() + i)
        return std::nullopt;
    return value;
}

void handleLine(std::string_view line, const std::function<void(std::string_view)>& visit, double from, double to)
{
    while (!line.empty() && isSpace(line.front()))
        line.remove_prefix(1);
    while (!line.empty() && isSpace(line.back()))
        line.remove_suffix(1);
    if (line.empty())
        return;
    if (auto epoch = quickEpoch(line); epoch && (*epoch < from || *epoch > to))
        return;
    visit(line);
}

} // namespace

void StudyLogReader::forEachObject(const QString& path, const std::function<void(const QJsonObject&)>& visit,
                                   double fromEpoch, double toEpoch)
{
    forEachObjectFrom(path, 0, visit, fromEpoch, toEpoch);
}

qint64 StudyLogReader::forEachObjectFrom(const QString& path, qint64 offset,
                                         const std::function<void(const QJsonObject&)>& visit, double fromEpoch,
                                         double toEpoch)
{
    return forEachLineFrom(
        path, offset,
        [&](std::string_view line) {
        const QByteArray bytes = QByteArray::fromRawData(line.data(), static_cast<qsizetype>(line.size()));
        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
        if (error.error == QJsonParseError::NoError && doc.isObject())
            visit(doc.object());
        },
        fromEpoch, toEpoch);
}

qint64 StudyLogReader::forEachLineFrom(const QString& path, qint64 offset,
                                       const std::function<void(std::string_view)>& visit, double fromEpoch,
                                       double toEpoch)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    if (offset > 0 && !file.seek(offset))
        return -1;
    qint64 completeLinesEnd = offset;
    // One buffer for the whole read: the unfinished line at its start, each block read behind it.
    QByteArray buffer(maxLineBytes + blockSize, Qt::Uninitialized);
    char* const data = buffer.data();
    qsizetype pending = 0;
    bool skippingLongLine = false;
    for (;;) {
        const qint64 read = file.read(data + pending, blockSize);
        if (read <= 0)
            break;
        const std::string_view rest(data, static_cast<size_t>(pending + read));
        size_t consumed = 0;
        for (size_t nl = rest.find('\n'); nl != std::string_view::npos; nl = rest.find('\n', consumed)) {
            if (!skippingLongLine)
                handleLine(rest.substr(consumed, nl - consumed), visit, fromEpoch, toEpoch);
            skippingLongLine = false;
            consumed = nl + 1;
        }
        completeLinesEnd += static_cast<qint64>(consumed);
        pending = static_cast<qsizetype>(rest.size() - consumed);
        if (pending > maxLineBytes) {
            // Counted as read: a damaged stretch is not worth reading again.
            completeLinesEnd += pending;
            skippingLongLine = true;
            pending = 0;
        } else if (consumed > 0 && pending > 0) {
            std::memmove(data, data + consumed, static_cast<size_t>(pending));
        }
    }
    if (!skippingLongLine)
        handleLine(std::string_view(data, static_cast<size_t>(pending)), visit, fromEpoch, toEpoch);
    return completeLinesEnd;
}

} // namespace vantrel
