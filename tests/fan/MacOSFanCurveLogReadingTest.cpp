// The fan-behaviour log reads its lines directly and keeps the bytes of lines that are exactly
// its own encoding; both against the document reader and writer over a full three-day file.
#include <random>

#include <QJsonDocument>

#include <gtest/gtest.h>

#include "base/AtomicFile.h"
#include "base/JsonLines.h"
#include "base/VirtualDispatch.h"
#include "fan/MacOSFanCurveLog.h"
#include "support/TempDir.h"

namespace vantrel {
namespace {

std::string_view view(const QByteArray& b) { return {b.constData(), static_cast<size_t>(b.size())}; }

// How a line was read before: a QJsonDocument, then fromJson.
std::optional<ObservedMacOSFanPoint> documentPoint(const QByteArray& line)
{
    const auto records = jsonl::parse(line);
    return records.size() == 1 ? ObservedMacOSFanPoint::fromJson(records[0]) : std::nullopt;
}

class FanLineGenerator {
public:
    explicit FanLineGenerator(QDateTime end)
        : end_(std::move(end))
    { }

    ObservedMacOSFanPoint point(int index)
    {
        ObservedMacOSFanPoint p;
        p.timestamp = end_.addSecs(-10LL * index);
        p.temperature = std::round(std::uniform_real_distribution<double>(30, 100)(random_) * 8) / 8;
        if (pick(0, 3) == 0)
            p.temperature = std::uniform_real_distribution<double>(30, 100)(random_);
        p.rpm = pick(1000, 6000);
        p.fanMaxRPM = pick(0, 9) ? 6000 : pick(1, 8000);
        p.fanPercent = std::clamp(p.rpm * 100.0 / p.fanMaxRPM, 0.0, 100.0);
        static const std::array<const char*, 4> sensors{"CPU", "GPU", "Battery", "Unknown"};
        if (pick(0, 9))
            p.dominantSensor = QString::fromLatin1(sensors[static_cast<size_t>(pick(0, 3))]);
        return p;
    }

    // The encoding of p, or (one time in ten) a line that decodes but is spelled differently,
    // or (one in fifty) one that does not decode.
    QByteArray line(const ObservedMacOSFanPoint& p)
    {
        QByteArray good = QJsonDocument(p.toJson()).toJson(QJsonDocument::Compact);
        const int roll = pick(0, 49);
        if (roll >= 6)
            return good;
        switch (pick(0, 13)) {
        case 0:
            return " " + good;
        case 1:
            return good.replace(",", ", ");
        case 2:
            return good.replace("\"rpm\":", "\"rpm\": ");
        case 3: // the time with milliseconds, or with an offset
            return good.replace("Z\"", ".250Z\"");
        case 4:
            return good.replace("Z\"", "+00:00\"");
        case 5: // an integer spelled as a double
            return good.replace(",\"rpm\":", ",\"rpm\":1.0e0,\"x\":");
        case 6: // keys in another order
            return "{\"timestamp\":" + good.mid(good.indexOf("\"timestamp\":") + 12, 22) + ","
                + good.mid(1, good.indexOf(",\"timestamp\"") - 1) + "}";
        case 7:
            return good.replace("\"fanMaxRPM\"", "\"fanMaxRPM\":1,\"fanMaxRPM\"");
        case 8:
            return good.replace("}", ",\"dominantSensor\":null}");
        case 9:
            return good.replace("\"temperature\":", "\"temperature\":\"");
        case 10:
            return good.left(good.size() - 3);
        case 11:
            return "[" + good + "]";
        case 12:
            return good.replace("\"rpm\":", "\"rpm\":9999999999");
        default:
            return good.replace("CPU", "C\\u0050U");
        }
    }

private:
    int pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random_); }
    QDateTime end_;
    std::mt19937 random_{72};
};

TEST(MacOSFanCurveLogReading, LinesDecodeAsTheDocumentReaderDecodesThemAndOwnLinesAreRecognised)
{
    FanLineGenerator generate(QDateTime(QDate(2026, 1, 15), QTime(12, 0), Qt::UTC));
    int canonicalCount = 0;
    for (int i = 25919; i >= 0; --i) {
        const auto p = generate.point(i);
        const QByteArray line = generate.line(p);
        const std::string_view trimmed = jsonl::trimmed(view(line));
        bool canonical = true;
        const auto actual = ObservedMacOSFanPoint::fromLine(trimmed, &canonical);
        const auto expected = documentPoint(line);
        ASSERT_EQ(actual, expected) << line.constData();
        if (expected) {
            ASSERT_EQ(actual->timestamp.timeSpec(), expected->timestamp.timeSpec()) << line.constData();
        }
        // Recognised as its own exactly when writing the decoded point gives these bytes.
        const bool own = expected
            && QJsonDocument(expected->toJson()).toJson(QJsonDocument::Compact)
                == QByteArray(trimmed.data(), static_cast<qsizetype>(trimmed.size()));
        ASSERT_EQ(canonical, own) << line.constData();
        canonicalCount += canonical ? 1 : 0;
    }
    EXPECT_GT(canonicalCount, 22000) << "the generated lines are mostly the log's own";
}

struct FanLogFiles : ::testing::Test {
    test::TempDir dir;
    VirtualDispatch dispatch;
    QString path() const { return dir.paths().appSupportFile(QStringLiteral("macos-fan-curve.jsonl")); }

    // The window, sorted, as the document reader reads the file.
    std::vector<ObservedMacOSFanPoint> documentWindow(double hours)
    {
        const QDateTime cutoff = dispatch.clock().now().addMSecs(static_cast<qint64>(-hours * 3600 * 1000));
        std::vector<ObservedMacOSFanPoint> out;
        for (const auto& o : jsonl::read(path()))
            if (auto p = ObservedMacOSFanPoint::fromJson(o); p && !(p->timestamp < cutoff))
                out.push_back(*p);
        std::stable_sort(out.begin(), out.end(),
                         [](const auto& a, const auto& b) { return a.timestamp < b.timestamp; });
        return out;
    }
    static QByteArray encoding(const std::vector<ObservedMacOSFanPoint>& points)
    {
        QByteArray out;
        for (const auto& p : points)
            out += jsonl::encodeLine(p.toJson());
        return out;
    }
};

TEST_F(FanLogFiles, AFreshLogReadsAFullFileAndItsFirstAppendWritesWhatAFullRewriteWould)
{
    const QDateTime now = dispatch.clock().now();
    FanLineGenerator generate(now);
    QByteArray own;
    QByteArray mixed;
    for (int i = 25919; i >= 0; --i) {
        const auto p = generate.point(i);
        own += jsonl::encodeLine(p.toJson());
        mixed += generate.line(p) + "\n";
    }
    // One sample out of order in an otherwise own file.
    QByteArray unordered = own;
    const qsizetype secondLine = unordered.indexOf('\n') + 1;
    unordered = unordered.mid(secondLine, unordered.indexOf('\n', secondLine) + 1 - secondLine) + unordered;

    for (const QByteArray& content : {own, mixed, unordered, own.left(own.size() - 1)}) {
        ASSERT_TRUE(writeFileAtomically(path(), content));
        const auto expectedWindow = documentWindow(72);
        MacOSFanCurveLog fresh(dir.paths(), dispatch);
        ASSERT_EQ(fresh.loadRecent(72), expectedWindow);
        ASSERT_EQ(fresh.loadRecent(1), documentWindow(1));

        // The first kept sample: the window plus the sample, without what is now 72 h old.
        ObservedMacOSFanPoint next = expectedWindow.back();
        next.timestamp = now.addSecs(25);
        next.rpm += 100;
        std::vector<ObservedMacOSFanPoint> expected;
        for (const auto& p : expectedWindow)
            if (!(p.timestamp < next.timestamp.addSecs(-259200)))
                expected.push_back(p);
        expected.push_back(next);
        const auto result = fresh.appendAndLoadRecent(next);
        dispatch.runUntilIdle();
        ASSERT_EQ(result, expected);
        const auto stored = readFile(path());
        ASSERT_TRUE(stored);
        EXPECT_EQ(*stored, encoding(result));
        MacOSFanCurveLog again(dir.paths(), dispatch);
        EXPECT_EQ(again.loadRecent(72), documentWindow(72));
    }
}

} // namespace
} // namespace vantrel
