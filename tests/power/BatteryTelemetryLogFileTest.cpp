// The telemetry log keeps the file's records between calls and writes kept lines again without
// encoding them; held against a log that reads, decodes and rewrites the whole file every time.
#include <cmath>
#include <map>
#include <random>

#include <QFile>
#include <QJsonDocument>

#include <gtest/gtest.h>

#include "base/AtomicFile.h"
#include "base/JsonLines.h"
#include "base/VirtualDispatch.h"
#include "power/BatteryTelemetryLog.h"
#include "support/TempDir.h"

namespace vantrel {
namespace {

QDateTime hoursBefore(const QDateTime& now, double hours)
{
    return now.addMSecs(-static_cast<qint64>(std::llround(hours * 3600.0 * 1000.0)));
}

// Every call reads the whole file and every append rewrites it from the decoded records.
struct WholeFileLog {
    QString path;

    std::vector<BatteryTelemetryRecord> load(double hours, const QDateTime& now) const
    {
        std::vector<BatteryTelemetryRecord> out;
        for (const auto& o : jsonl::read(path))
            if (auto r = BatteryTelemetryRecord::fromJson(o); r && r->timestamp >= hoursBefore(now, hours))
                out.push_back(*r);
        std::stable_sort(out.begin(), out.end(),
                         [](const auto& a, const auto& b) { return a.timestamp < b.timestamp; });
        return out;
    }
    static std::vector<BatteryTelemetryRecord> merged(const std::vector<BatteryTelemetryRecord>& records, double hours,
                                                      const QDateTime& now)
    {
        std::map<qint64, BatteryTelemetryRecord> bySecond;
        for (const auto& r : records)
            if (r.timestamp >= hoursBefore(now, hours))
                bySecond.insert_or_assign(r.timestamp.toSecsSinceEpoch(), r);
        std::vector<BatteryTelemetryRecord> out;
        for (const auto& [second, r] : bySecond)
            out.push_back(r);
        return out;
    }
    std::vector<BatteryTelemetryRecord> append(int percent, std::optional<double> temperature, bool charging,
                                               const QDateTime& now) const
    {
        auto records = load(13, now);
        BatteryTelemetryRecord next{now, std::clamp(percent, 0, 100), temperature, charging};
        if (temperature && !std::isfinite(*temperature))
            next.temperature.reset();
        if (BatteryTelemetryLog::shouldAppend(next, records.empty() ? std::nullopt : std::optional(records.back()))) {
            records.push_back(next);
            records = BatteryTelemetryLog::prune(records, now);
            std::vector<QJsonObject> lines;
            for (const auto& r : records)
                lines.push_back(r.toJson());
            jsonl::writeAll(path, lines);
        }
        return merged(records, 12, now);
    }
};

std::optional<BatteryTelemetryRecord> documentRecord(const QByteArray& line)
{
    const auto records = jsonl::parse(line);
    return records.size() == 1 ? BatteryTelemetryRecord::fromJson(records[0]) : std::nullopt;
}

TEST(BatteryTelemetryRecordLine, DecodesAsTheDocumentReaderAndRecognisesItsOwnEncoding)
{
    std::mt19937 random(13);
    const QDateTime t0(QDate(2026, 3, 10), QTime(8, 0), Qt::UTC);
    const std::array<std::pair<QByteArray, QByteArray>, 12> edits{{
        {"\"percent\":", "\"percent\": "},
        {"Z\"", ".5Z\""},
        {"Z\"", "+09:00\""},
        {"\"isCharging\":false", "\"isCharging\":0"},
        {"\"isCharging\":true", "\"isCharging\":\"true\""},
        {"\"percent\":", "\"percent\":1.0e2,\"p\":"},
        {"\"percent\":", "\"percent\":104,\"p\":"},
        {"}", ",\"temperature\":null}"},
        {"{", "{\"percent\":5,"},
        {"\"timestamp\":\"", "\"timestamp\":\"x"},
        {"\"temperature\":", "\"temperature\":-0.0,\"t\":"},
        {"}", ""},
    }};
    int own = 0;
    for (int i = 0; i < 20000; ++i) {
        std::optional<double> temperature;
        if (random() % 5)
            temperature = (random() % 2)
                ? std::round(static_cast<double>(random() % 6000) / 10) / 10
                : std::ldexp(static_cast<double>(random() % 100000), -static_cast<int>(random() % 12));
        const BatteryTelemetryRecord r{t0.addSecs(i * 10), static_cast<int>(random() % 101), temperature,
                                       random() % 2 == 0};
        QByteArray line = QJsonDocument(r.toJson()).toJson(QJsonDocument::Compact);
        if (random() % 8 == 0) {
            const auto& [from, to] = edits[random() % edits.size()];
            line.replace(from, to);
        }
        bool canonical = true;
        const auto actual
            = BatteryTelemetryRecord::fromLine({line.constData(), static_cast<size_t>(line.size())}, &canonical);
        const auto expected = documentRecord(line);
        ASSERT_EQ(actual, expected) << line.constData();
        if (expected) {
            ASSERT_EQ(actual->timestamp.timeSpec(), expected->timestamp.timeSpec());
        }
        ASSERT_EQ(canonical, expected && QJsonDocument(expected->toJson()).toJson(QJsonDocument::Compact) == line)
            << line.constData();
        own += canonical ? 1 : 0;
    }
    EXPECT_GT(own, 16000);
}

TEST(BatteryTelemetryLogFile, AppendsGiveTheSameResultsAndFilesAsRewritingFromTheDecodedFile)
{
    test::TempDir cachedDir;
    test::TempDir wholeDir;
    VirtualDispatch dispatch;
    BatteryTelemetryLog log(cachedDir.paths(), dispatch);
    const WholeFileLog whole{wholeDir.paths().appSupportFile(QStringLiteral("battery-telemetry.jsonl"))};
    const auto now = [&] { return dispatch.clock().now(); };

    // Two hours of records every 10 s, with some lines written by someone else.
    QByteArray start;
    for (int s = 2 * 3600; s > 0; s -= 10) {
        start += jsonl::encodeLine(
            BatteryTelemetryRecord{now().addSecs(-s), 60 + s % 7, 30.0 + (s % 9) * 0.1, false}.toJson());
        if (s % 970 == 0)
            start += "{\"timestamp\": \"" + now().addSecs(-s - 3).toUTC().toString(Qt::ISODate).toLatin1()
                + "\", \"percent\": 61.0, \"isCharging\": true}\n";
        if (s % 1230 == 0)
            start += "not json\n\n";
    }
    const auto both = [&](const std::function<void(const QString&)>& change) {
        change(log.logURL());
        change(whole.path);
    };
    both([&](const QString& path) { ASSERT_TRUE(writeFileAtomically(path, start)); });

    std::mt19937 random(5);
    int percent = 60;
    bool charging = false;
    std::optional<double> temperature = 31.0;
    for (int step = 0; step < 400; ++step) {
        SCOPED_TRACE(step);
        const int roll = static_cast<int>(random() % 100);
        if (roll < 3)
            dispatch.advanceSeconds(3600.0 * (1 + random() % 6));
        else
            dispatch.advanceSeconds(static_cast<double>(random() % 90) + (random() % 4) * 0.25);
        if (roll % 4 == 0)
            percent += static_cast<int>(random() % 3) - 1;
        if (roll % 13 == 0)
            charging = !charging;
        if (roll % 5 == 0)
            temperature = random() % 6 ? std::optional(31.0 + static_cast<double>(random() % 20) / 10) : std::nullopt;
        if (roll == 50)
            both([](const QString& path) {
                QFile f(path);
                ASSERT_TRUE(f.open(QIODevice::Append));
                f.write("garbage\n{\"percent\":3,\"isCharging\":true,\"timestamp\":\"2000-01-01T00:00:00Z\"}\n");
            });
        if (roll == 51) // the file replaced by another writer with the same records
            both([](const QString& path) { jsonl::writeAll(path, jsonl::read(path)); });
        if (roll == 52)
            both([](const QString& path) { QFile::remove(path); });

        if (roll % 10 == 9) {
            const double hours = 1 + static_cast<double>(random() % 13);
            ASSERT_EQ(log.loadRecent(hours), WholeFileLog::merged(whole.load(hours, now()), hours, now()));
            continue;
        }
        const auto expected = whole.append(percent, temperature, charging, now());
        ASSERT_EQ(log.appendAndLoadRecent(percent, temperature, charging), expected);
        ASSERT_EQ(readFile(log.logURL()), readFile(whole.path));
    }
    EXPECT_GT(jsonl::read(log.logURL()).size(), 10u);
}

} // namespace
} // namespace vantrel
