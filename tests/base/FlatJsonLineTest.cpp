// The direct readers and writers of JSON Lines records against Qt's document reader and writer.
#include "base/FlatJsonLine.h"

#include <array>
#include <bit>
#include <cmath>
#include <random>

#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include "base/IsoTimestamp.h"
#include "base/JsonAccess.h"
#include "base/JsonNumberText.h"

namespace vantrel {
namespace {

using json::FlatJsonLine;

std::string_view view(const QByteArray& b) { return {b.constData(), static_cast<size_t>(b.size())}; }

constexpr std::array<std::string_view, 3> kWanted{"a", "b", "c"};

// Every typed read of every wanted key agrees with the document reader's, or the line is declined.
void expectSameReading(const QByteArray& line)
{
    std::array<FlatJsonLine::Value, 3> values;
    const bool scanned = FlatJsonLine::scan(view(line), kWanted, values);
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(line, &error);
    const bool parsed = error.error == QJsonParseError::NoError && doc.isObject();
    if (!scanned)
        return;
    ASSERT_TRUE(parsed) << "accepted what the document reader refuses: " << line.constData();
    const QJsonObject o = doc.object();
    for (size_t i = 0; i < kWanted.size(); ++i) {
        const QString key = QString::fromLatin1(kWanted[i].data(), static_cast<qsizetype>(kWanted[i].size()));
        const QJsonValue v = o.value(key);
        const auto& s = values[i];
        SCOPED_TRACE(line.constData());
        EXPECT_EQ(FlatJsonLine::isMissing(s), v.isUndefined() || v.isNull());
        EXPECT_EQ(FlatJsonLine::asString(s), json::asString(v));
        EXPECT_EQ(FlatJsonLine::asInteger(s), json::asInteger(v));
        EXPECT_EQ(FlatJsonLine::asStrictBool(s), json::asStrictBool(v));
        const auto d = FlatJsonLine::asDouble(s);
        const auto expected = json::asDouble(v);
        ASSERT_EQ(d.has_value(), expected.has_value());
        if (d) { // bit for bit, so a sign of zero would count
            EXPECT_EQ(std::bit_cast<quint64>(*d), std::bit_cast<quint64>(*expected));
        }
    }
}

TEST(FlatJsonLine, ReadsPlainObjectsAndDeclinesWhatItCannotVouchFor)
{
    std::array<FlatJsonLine::Value, 3> v;
    EXPECT_FALSE(FlatJsonLine::scan(R"( {"a":"x y","z":[1],"b":-12,"c":2.5e1} )", kWanted, v))
        << "nesting goes to the full reader";
    ASSERT_TRUE(FlatJsonLine::scan(R"( {"a":"x y", "z":true ,"b":-12,"c":2.5e1} )", kWanted, v));
    EXPECT_EQ(FlatJsonLine::asString(v[0]), QStringLiteral("x y"));
    EXPECT_EQ(FlatJsonLine::asInteger(v[1]), -12);
    EXPECT_EQ(FlatJsonLine::asInteger(v[2]), 25) << "an integral double reads as an integer";
    EXPECT_EQ(FlatJsonLine::asDouble(v[2]), 25.0);
    EXPECT_FALSE(FlatJsonLine::asStrictBool(v[1]));
    ASSERT_TRUE(FlatJsonLine::scan("{}", kWanted, v));
    EXPECT_TRUE(FlatJsonLine::isMissing(v[0]));

    for (const char* declined :
         {R"({"a":1,"a":2})", R"({"a":"\u0041"})", R"({"\u0061":1})", "{\"a\":\"\xc3\xa9\"}", R"({"a":-0})",
          R"({"a":1234567890123456})", R"({"a":1e400})", R"({"a":1,})", R"({"a":1} x)", R"([{"a":1}])", R"({"a":01})",
          R"({"a":.5})", R"({"a":tru})", "{\"a\":\"tab\there\"}", R"({"a" 1})", R"({"a":1)", ""})
        EXPECT_FALSE(FlatJsonLine::scan(declined, kWanted, v)) << declined;
    EXPECT_TRUE(FlatJsonLine::scan(R"({"z":1,"z":2,"a":3})", kWanted, v)) << "an unwanted key may repeat";
}

TEST(FlatJsonLine, RandomFlatObjectsReadAsTheDocumentReaderReadsThem)
{
    std::mt19937_64 random(7);
    const auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    const std::array<QByteArray, 34> atoms{"0",
                                           "-0",
                                           "-0.0",
                                           "1",
                                           "-1",
                                           "12.5",
                                           "1e2",
                                           "1E+2",
                                           "1e-2",
                                           "2.5e-310",
                                           "1e400",
                                           "-1e400",
                                           "123456789012345",
                                           "-123456789012345",
                                           "1234567890123456",
                                           "9007199254740993",
                                           "9223372036854775807",
                                           "9223372036854775808",
                                           "1.0",
                                           "0.1",
                                           "1.7976931348623157e308",
                                           "true",
                                           "false",
                                           "null",
                                           "\"\"",
                                           "\"text\"",
                                           "\"t\\\"q\"",
                                           "\"\xc3\xa9\"",
                                           "[]",
                                           "{}",
                                           "01",
                                           "1.",
                                           "+1",
                                           "\"unterminated"};
    const std::array<QByteArray, 5> keys{"a", "b", "c", "d", "\\u0061"};
    const std::array<QByteArray, 4> spaces{"", " ", "\t", " \r "};
    for (int round = 0; round < 20000; ++round) {
        QByteArray line = spaces[static_cast<size_t>(pick(0, 3))] + "{";
        const int count = pick(0, 5);
        for (int i = 0; i < count; ++i) {
            if (i)
                line += "," + spaces[static_cast<size_t>(pick(0, 3))];
            QByteArray atom;
            switch (pick(0, 3)) {
            case 0: // a random double at any magnitude, as %.17g writes it
                atom = QByteArray::number(
                    std::ldexp(std::uniform_real_distribution<double>(-1, 1)(random), pick(-1074, 1023)), 'g',
                    pick(1, 17));
                break;
            case 1:
                atom = QByteArray::number(static_cast<qint64>(random() >> pick(1, 63)) * (pick(0, 1) ? 1 : -1));
                break;
            default:
                atom = atoms[static_cast<size_t>(pick(0, static_cast<int>(atoms.size()) - 1))];
            }
            line += "\"" + keys[static_cast<size_t>(pick(0, 4))] + "\"" + spaces[static_cast<size_t>(pick(0, 3))] + ":"
                + atom;
        }
        line += "}" + spaces[static_cast<size_t>(pick(0, 3))];
        if (pick(0, 20) == 0)
            line.chop(pick(1, 3));
        expectSameReading(line);
        if (::testing::Test::HasFailure())
            return;
    }
}

// The value text QJsonDocument writes for {"a": d}.
QByteArray documentText(double d)
{
    const QByteArray doc = QJsonDocument(QJsonObject{{QStringLiteral("a"), d}}).toJson(QJsonDocument::Compact);
    return doc.mid(5, doc.size() - 6);
}

TEST(JsonNumberText, SpellsDoublesAsTheDocumentWriterDoes)
{
    std::mt19937_64 random(11);
    std::vector<double> values{0.0,
                               1.0,
                               -1.0,
                               55.0,
                               45.3,
                               0.1,
                               0.0001,
                               0.00001,
                               1e-5,
                               123456.7,
                               1e15,
                               1e16,
                               1e21,
                               1e22,
                               1.5e300,
                               5e-324,
                               100.0,
                               1234567.125,
                               30.000000000000004,
                               9007199254740992.0,
                               -9007199254740992.0,
                               0.5,
                               12.25,
                               99.99,
                               1e-7,
                               123e-20,
                               4.2e-4};
    for (int i = 0; i < 200000; ++i) {
        switch (i % 4) {
        case 0: // any finite bit pattern
            values.push_back(std::bit_cast<double>(static_cast<quint64>(random())));
            break;
        case 1: // readings with a few decimals
            values.push_back(static_cast<double>(static_cast<int>(random() % 200000) - 100000)
                             / std::pow(10.0, static_cast<double>(random() % 6)));
            break;
        case 2: // any magnitude
            values.push_back(std::ldexp(std::uniform_real_distribution<double>(-1, 1)(random),
                                        static_cast<int>(random() % 200) - 100));
            break;
        default: // integral values around 2^53
            values.push_back(std::ldexp(static_cast<double>(random() >> 11), static_cast<int>(random() % 8)));
        }
    }
    int spelled = 0;
    for (double d : values) {
        if (!std::isfinite(d))
            continue;
        std::string text;
        if (!json::appendCompactDouble(text, d))
            continue;
        ++spelled;
        ASSERT_EQ(QByteArray::fromStdString(text), documentText(d)) << "%.17g: " << d;
    }
    EXPECT_GT(spelled, 120000);
    std::string text;
    EXPECT_FALSE(json::appendCompactDouble(text, -0.0));
    EXPECT_FALSE(json::appendCompactDouble(text, 1e17));
    EXPECT_FALSE(json::appendCompactDouble(text, std::nan("")));
    EXPECT_TRUE(text.empty());
}

TEST(IsoTimestamp, ReadsAndWritesAsQDateTimeDoes)
{
    for (const char* text :
         {"2026-03-10T12:00:00Z", "2024-02-29T23:59:59Z", "2025-02-29T00:00:00Z", "2026-03-10T24:00:00Z",
          "2026-03-10T12:00:60Z", "2026-13-10T12:00:00Z", "2026-03-10T12:00:00", "2026-03-10T12:00:00.5Z",
          "2026-03-10T12:00:00+01:00", "2026-3-10T12:00:00Z", "0999-03-10T12:00:00Z", "1000-01-01T00:00:00Z",
          "9999-12-31T23:59:59Z", "1969-12-31T23:59:59Z", "2026-03-10 12:00:00Z", "x", ""}) {
        const QDateTime expected = QDateTime::fromString(QString::fromLatin1(text), Qt::ISODate);
        const QDateTime actual = iso::parse(text);
        EXPECT_EQ(actual.isValid(), expected.isValid()) << text;
        if (expected.isValid()) {
            EXPECT_EQ(actual, expected) << text;
            EXPECT_EQ(actual.timeSpec(), expected.timeSpec()) << text;
        }
    }
    std::mt19937_64 random(3);
    for (int i = 0; i < 20000; ++i) {
        const qint64 secs = static_cast<qint64>(random() % 400000000000ULL) - 30000000000LL;
        const QDateTime t = QDateTime::fromMSecsSinceEpoch(secs * 1000 + static_cast<qint64>(random() % 1000), Qt::UTC);
        std::string text;
        if (!iso::appendWholeSecondUtc(text, t)) {
            EXPECT_TRUE(t.date().year() < 1000 || t.date().year() > 9999) << secs;
            continue;
        }
        ASSERT_EQ(QString::fromStdString(text), t.toUTC().toString(Qt::ISODate));
        const auto back = iso::parseWholeSecondUtc(text);
        ASSERT_TRUE(back);
        EXPECT_EQ(*back, QDateTime::fromString(QString::fromStdString(text), Qt::ISODate));
        EXPECT_EQ(back->timeSpec(), Qt::UTC);
    }
}

} // namespace
} // namespace vantrel
