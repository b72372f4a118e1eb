// The study log is decoded straight from its lines; these tests hold that decoding to the
// document reader's result, line by line, over a generated day full of odd lines.
#include <array>
#include <random>

#include <QJsonDocument>
#include <QTimeZone>

#include <gtest/gtest.h>

#include "base/FlatJsonLine.h"
#include "power/BatteryTelemetryRecord.h"
#include "power/OnlyPowerEnergySample.h"
#include "power/OnlyPowerEnergyStore.h"
#include "power/StudyLogReader.h"
#include "support/TempDir.h"

namespace vantrel {
namespace {

// How the log was read before lines were decoded directly: a QJsonDocument per line.
std::optional<QJsonObject> documentObject(const QByteArray& line)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(line, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return std::nullopt;
    return doc.object();
}

std::optional<OnlyPowerEnergySample> documentSample(const QByteArray& line)
{
    const auto o = documentObject(line);
    return o ? OnlyPowerEnergySample::fromJson(*o) : std::nullopt;
}

std::optional<OnlyPowerBatteryTelemetrySample> documentChargeSample(const QByteArray& line)
{
    const auto o = documentObject(line);
    return o ? OnlyPowerBatteryTelemetrySample::fromJson(*o) : std::nullopt;
}

// Generates study log lines: mostly what the logger writes, with every kind of oddity mixed in.
class StudyLineGenerator {
public:
    explicit StudyLineGenerator(double dayStart)
        : dayStart_(dayStart)
    { }

    QByteArray line(int second)
    {
        const double epoch = dayStart_ + second + pick(0, 3) * 0.25;
        switch (pick(0, 19)) {
        case 0:
            return odd(epoch);
        case 1:
            return wrongType(epoch);
        case 2:
            return oddNumber(epoch);
        default:
            return normal(epoch);
        }
    }

private:
    int pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random_); }
    double real(double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(random_); }
    QByteArray num(double v) { return QByteArray::number(v, 'g', pick(0, 1) ? 17 : 6); }

    std::vector<std::pair<QByteArray, QByteArray>> fields(double epoch)
    {
        std::vector<std::pair<QByteArray, QByteArray>> f{
            {"timestamp", "\"2026-03-10T12:00:00Z\""},
            {"epoch_seconds", QByteArray::number(epoch, 'f', pick(0, 3))},
            {"phase", pick(0, 5) ? "\"only_power\"" : "\"baseline\""},
            {"cycle_count", QByteArray::number(pick(0, 1200))},
            {"raw_max_capacity_mAh", QByteArray::number(pick(-10, 6000))},
            {"instant_amperage_mA", QByteArray::number(pick(-3000, 3000))},
            {"external_connected", pick(0, 1) ? "true" : "false"},
            {"is_charging", pick(0, 1) ? "true" : "false"},
            {"battery_power_watts", num(real(-40, 40))},
            {"system_power_watts", num(real(-2, 90))},
            {"policy_verified", pick(0, 3) ? "true" : "false"},
            {"state_of_charge_percent", QByteArray::number(pick(-5, 105))},
            {"voltage_mV", QByteArray::number(pick(11000, 13000))},
        };
        // Optional fields go missing or null now and then.
        for (size_t i = 3; i < f.size(); ++i) {
            const int roll = pick(0, 30);
            if (roll == 0)
                f[i].second = "null";
            else if (roll == 1)
                f[i].first.clear();
        }
        std::erase_if(f, [](const auto& kv) { return kv.first.isEmpty(); });
        if (pick(0, 9) == 0)
            std::shuffle(f.begin(), f.end(), random_);
        return f;
    }

    static QByteArray join(const std::vector<std::pair<QByteArray, QByteArray>>& f, const QByteArray& colon = ":",
                           const QByteArray& comma = ",")
    {
        QByteArray out = "{";
        for (size_t i = 0; i < f.size(); ++i) {
            if (i)
                out += comma;
            out += '"' + f[i].first + '"' + colon + f[i].second;
        }
        return out + "}";
    }

    QByteArray normal(double epoch)
    {
        if (pick(0, 9) == 0)
            return join(fields(epoch), " : ", " ,\t");
        return join(fields(epoch));
    }

    void replace(std::vector<std::pair<QByteArray, QByteArray>>& f, const QByteArray& key, const QByteArray& value)
    {
        for (auto& kv : f)
            if (kv.first == key)
                kv.second = value;
    }

    QByteArray wrongType(double epoch)
    {
        auto f = fields(epoch);
        static const std::array<QByteArray, 11> keys{
            "timestamp",           "epoch_seconds",      "phase",       "cycle_count",         "raw_max_capacity_mAh",
            "instant_amperage_mA", "external_connected", "is_charging", "battery_power_watts", "system_power_watts",
            "policy_verified"};
        static const std::array<QByteArray, 10> values{"\"12\"", "12.5", "12.0", "1",   "0",
                                                       "true",   "null", "{}",   "[1]", "\"true\""};
        replace(f, keys[static_cast<size_t>(pick(0, 10))], values[static_cast<size_t>(pick(0, 9))]);
        if (pick(0, 3) == 0) // a required key missing
            std::erase_if(f, [&](const auto& kv) { return kv.first == keys[static_cast<size_t>(pick(0, 2))]; });
        return join(f);
    }

    QByteArray oddNumber(double epoch)
    {
        auto f = fields(epoch);
        static const std::array<QByteArray, 20> numbers{"-0",
                                                        "-0.0",
                                                        "0",
                                                        "1e2",
                                                        "1E2",
                                                        "1.5e-3",
                                                        "123456789012345",
                                                        "1234567890123456",
                                                        "9007199254740993",
                                                        "9223372036854775807",
                                                        "9223372036854775808",
                                                        "-9223372036854775809",
                                                        "1e400",
                                                        "1e-400",
                                                        "2.5e-310",
                                                        "01",
                                                        "+1",
                                                        "1.",
                                                        ".5",
                                                        "0.1e1"};
        static const std::array<QByteArray, 5> keys{"cycle_count", "instant_amperage_mA", "system_power_watts",
                                                    "epoch_seconds", "voltage_mV"};
        QByteArray value = numbers[static_cast<size_t>(pick(0, 19))];
        const QByteArray& key = keys[static_cast<size_t>(pick(0, 4))];
        if (key == "epoch_seconds" && pick(0, 1))
            value = QByteArray::number(epoch, 'e', 12);
        replace(f, key, value);
        return join(f);
    }

    QByteArray odd(double epoch)
    {
        auto f = fields(epoch);
        const QByteArray good = join(f);
        switch (pick(0, 17)) {
        case 0:
            return good.left(pick(1, static_cast<int>(good.size()) - 1)); // cut short
        case 1:
            return good + " x";
        case 2:
            return good.left(good.size() - 1) + ",}";
        case 3: // a wanted key twice, the later value differing
            f.push_back({"system_power_watts", "99.5"});
            return join(f);
        case 4: // an unwanted key twice
            f.push_back({"voltage_mV", "1"});
            return join(f);
        case 5:
            replace(f, "timestamp", "\"2026-03-10T12:00:00\\u005a\"");
            return join(f);
        case 6:
            f.insert(f.begin(), {"\\u0065poch_seconds", "1"});
            return join(f);
        case 7:
            replace(f, "phase", "\"only_power\xc3\xa9\"");
            return join(f);
        case 8:
            replace(f, "phase", "\"bad\xff\"");
            return join(f);
        case 9:
            replace(f, "phase", "\"tab\there\"");
            return join(f);
        case 10:
            f.push_back({"extra", R"({"epoch_seconds": 5, "a": [1, 2, {"b": null}]})"});
            return join(f);
        case 11:
            return "[" + good + "]";
        case 12:
            return "null";
        case 13:
            return "{}";
        case 14: // another day
            replace(f, "epoch_seconds", QByteArray::number(epoch - 86400 * pick(1, 3), 'f', 1));
            return join(f);
        case 15:
            return "  " + good + " \r";
        case 16:
            return "\xef\xbb\xbf" + good;
        default:
            replace(f, "timestamp", "2026");
            return join(f);
        }
    }

    double dayStart_;
    std::mt19937 random_{20260310};
};

TEST(OnlyPowerLineDecoding, AGeneratedDayDecodesLineForLineAsTheDocumentReaderDoes)
{
    const double dayStart = 1773100800.0; // 2026-03-10 00:00 UTC
    StudyLineGenerator generate(dayStart);
    static constexpr std::array<std::string_view, 11> powerKeys{
        "timestamp",           "epoch_seconds",      "phase",       "cycle_count",         "raw_max_capacity_mAh",
        "instant_amperage_mA", "external_connected", "is_charging", "battery_power_watts", "system_power_watts",
        "policy_verified"};
    int scanned = 0;
    int decoded = 0;
    int refused = 0;
    QByteArray log;
    for (int second = 0; second < 86400; ++second) {
        const QByteArray line = generate.line(second);
        log += line + '\n';
        const std::string_view view(line.constData(), static_cast<size_t>(line.size()));
        const auto expected = documentSample(line);
        const auto actual = OnlyPowerEnergySample::fromLine(view);
        ASSERT_EQ(actual, expected) << "line " << second << ": " << line.constData();
        ASSERT_EQ(OnlyPowerBatteryTelemetrySample::fromLine(view), documentChargeSample(line))
            << "line " << second << ": " << line.constData();
        std::array<json::FlatJsonLine::Value, 11> values;
        scanned += json::FlatJsonLine::scan(view, powerKeys, values) ? 1 : 0;
        (expected ? decoded : refused) += 1;
    }
    // The comparison only means something when most lines take the direct path and the odd
    // ones are really refused.
    EXPECT_GT(scanned, 80000);
    EXPECT_GT(refused, 3000);
    EXPECT_GT(decoded, 75000);

    // The whole load, against the document reader's samples integrated the same way.
    test::TempDir dir;
    OnlyPowerEnergyStore store(
        dir.paths(), [] { return std::optional<double>(96.0); }, QTimeZone::utc());
    dir.write(store.logURL().mid(dir.path().size() + 1), log);
    const QDateTime now = QDateTime::fromSecsSinceEpoch(static_cast<qint64>(dayStart) + 86399, QTimeZone::utc());
    const double end = dayStart + 86399;
    std::vector<OnlyPowerEnergySample> expectedSamples;
    StudyLogReader::forEachObject(store.logURL(), [&](const QJsonObject& o) {
        if (auto s = OnlyPowerEnergySample::fromJson(o); s && s->epochSeconds >= dayStart && s->epochSeconds <= end)
            expectedSamples.push_back(*s);
    });
    std::stable_sort(expectedSamples.begin(), expectedSamples.end(),
                     [](const auto& a, const auto& b) { return a.epochSeconds < b.epochSeconds; });
    const auto expected = store.integrate(expectedSamples, dayStart, end);
    const auto actual = store.load(now);
    ASSERT_EQ(actual.samples.size(), expected.samples.size());
    for (size_t i = 0; i < expected.samples.size(); ++i)
        ASSERT_EQ(actual.samples[i], expected.samples[i]) << "sample " << i;
    EXPECT_EQ(actual.systemEnergyWh, expected.systemEnergyWh);
    EXPECT_EQ(actual.batteryDischargeWh, expected.batteryDischargeWh);
    EXPECT_EQ(actual.observedEFC, expected.observedEFC);
    EXPECT_EQ(actual.coveredHours, expected.coveredHours);
    EXPECT_EQ(actual.policyVerifiedHours, expected.policyVerifiedHours);
    EXPECT_EQ(actual.adapterOnlyHours, expected.adapterOnlyHours);
    EXPECT_EQ(actual.peakPowerWatts, expected.peakPowerWatts);
    EXPECT_EQ(actual.currentPowerWatts, expected.currentPowerWatts);
    EXPECT_EQ(actual.cycleCount, expected.cycleCount);
    EXPECT_GT(actual.systemEnergyWh, 0.0);
}

} // namespace
} // namespace vantrel
