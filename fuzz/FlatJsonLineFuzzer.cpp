// The fast readers of JSON Lines records against Qt's document reader: whatever the flat-line
// scanner, the number speller and the timestamp reader accept, they must read (or write) exactly
// as QJsonDocument and QDateTime do. A difference is a finding (abort), not only a crash.
#include <array>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>

#include "FuzzSupport.h"
#include "base/FlatJsonLine.h"
#include "base/IsoTimestamp.h"
#include "base/JsonAccess.h"
#include "base/JsonNumberText.h"

using namespace vantrel;
using json::FlatJsonLine;

namespace {

constexpr std::array<std::string_view, 4> kWanted{"a", "b", "timestamp", "ts"};

[[noreturn]] void differ(const char* what)
{
    std::fprintf(stderr, "flat_json_line: %s\n", what);
    std::abort();
}

bool sameDouble(const std::optional<double>& a, const std::optional<double>& b)
{
    if (a.has_value() != b.has_value())
        return false;
    return !a || std::bit_cast<quint64>(*a) == std::bit_cast<quint64>(*b);
}

void compareLine(const QByteArray& line)
{
    std::array<FlatJsonLine::Value, kWanted.size()> values;
    if (!FlatJsonLine::scan(std::string_view(line.constData(), static_cast<size_t>(line.size())), kWanted, values))
        return;
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(line, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        differ("accepted a line the document reader refuses");
    const QJsonObject o = doc.object();
    for (size_t i = 0; i < kWanted.size(); ++i) {
        const QJsonValue v = o.value(QString::fromLatin1(kWanted[i].data(), static_cast<qsizetype>(kWanted[i].size())));
        const auto& s = values[i];
        if (FlatJsonLine::isMissing(s) != (v.isUndefined() || v.isNull()))
            differ("missing differs");
        if (FlatJsonLine::asString(s) != json::asString(v))
            differ("string differs");
        if (FlatJsonLine::asInteger(s) != json::asInteger(v))
            differ("integer differs");
        if (FlatJsonLine::asStrictBool(s) != json::asStrictBool(v))
            differ("boolean differs");
        if (!sameDouble(FlatJsonLine::asDouble(s), json::asDouble(v)))
            differ("number differs");
    }
}

void compareTimestamp(const QByteArray& text)
{
    const std::string_view view(text.constData(), static_cast<size_t>(text.size()));
    // Timestamps reach the reader as JSON strings, which are UTF-8.
    const QDateTime expected = QDateTime::fromString(QString::fromUtf8(text), Qt::ISODate);
    const QDateTime actual = iso::parse(view);
    if (actual.isValid() != expected.isValid() || (expected.isValid() && actual != expected))
        differ("timestamp reading differs");
    if (const auto whole = iso::parseWholeSecondUtc(view); whole && *whole != expected)
        differ("whole-second timestamp reading differs");
}

void compareNumberText(const QByteArray& bytes)
{
    if (bytes.size() < 8)
        return;
    double d = 0;
    std::memcpy(&d, bytes.constData(), sizeof d);
    std::string text;
    if (!std::isfinite(d) || !json::appendCompactDouble(text, d))
        return;
    const QByteArray doc = QJsonDocument(QJsonObject{{QStringLiteral("a"), d}}).toJson(QJsonDocument::Compact);
    if (QByteArray::fromStdString(text) != doc.mid(5, doc.size() - 6))
        differ("number spelling differs");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::quietLogging();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = fuzz::bytesOf(data, size);
    compareLine(bytes);
    if (size <= 64)
        compareTimestamp(bytes);
    compareNumberText(bytes);
    return 0;
}
