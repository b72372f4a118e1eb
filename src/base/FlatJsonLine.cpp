#include "base/FlatJsonLine.h"

#include <charconv>
#include <cmath>

namespace vantrel::json {
namespace {

// Integers of up to 15 digits are below 2^53: the integer and the double read the same.
constexpr int maxExactIntegerDigits = 15;
constexpr double maxExactDouble = 9007199254740992.0; // 2^53
// Without an exponent a number this short can neither overflow nor fall below the normal range.
constexpr std::ptrdiff_t maxPlainNumberLength = 300;

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

const char* skipSpace(const char* p, const char* end)
{
    while (p < end && isSpace(*p))
        ++p;
    return p;
}

// p is just past an opening quote. Returns the closing quote, or nullptr when the string holds
// anything but printable ASCII without escapes (or does not end).
const char* plainStringEnd(const char* p, const char* end)
{
    for (; p < end; ++p) {
        const auto c = static_cast<unsigned char>(*p);
        if (c == '"')
            return p;
        if (c < 0x20 || c > 0x7e || c == '\\')
            return nullptr;
    }
    return nullptr;
}

bool matchWord(const char*& p, const char* end, std::string_view word)
{
    if (end - p < static_cast<std::ptrdiff_t>(word.size()) || std::string_view(p, word.size()) != word)
        return false;
    p += word.size();
    return true;
}

// A number in strict JSON grammar starting at p; converted only when convert is set.
bool readNumber(const char*& p, const char* end, bool convert, FlatJsonLine::Value& out)
{
    const char* start = p;
    bool negative = false;
    if (p < end && *p == '-') {
        negative = true;
        ++p;
    }
    if (p >= end || !isDigit(*p))
        return false;
    const char* digits = p;
    if (*p == '0')
        ++p;
    else
        while (p < end && isDigit(*p))
            ++p;
    const std::ptrdiff_t integerDigits = p - digits;
    bool integral = true;
    bool exponent = false;
    if (p < end && *p == '.') {
        integral = false;
        ++p;
        if (p >= end || !isDigit(*p))
            return false;
        while (p < end && isDigit(*p))
            ++p;
    }
    if (p < end && (*p == 'e' || *p == 'E')) {
        integral = false;
        exponent = true;
        ++p;
        if (p < end && (*p == '+' || *p == '-'))
            ++p;
        if (p >= end || !isDigit(*p))
            return false;
        while (p < end && isDigit(*p))
            ++p;
    }
    if (!convert && !exponent && p - start < maxPlainNumberLength)
        return true;
    out.kind = FlatJsonLine::Kind::Number;
    if (integral) {
        // "-0" and long integers are left to the full reader.
        if (integerDigits > maxExactIntegerDigits || (negative && *digits == '0'))
            return false;
        qint64 value = 0;
        for (const char* d = digits; d < p; ++d)
            value = value * 10 + (*d - '0');
        out.integral = true;
        out.integer = negative ? -value : value;
        out.number = static_cast<double>(out.integer);
        return true;
    }
    double value = 0;
    const auto [stop, error] = std::from_chars(start, p, value);
    if (error != std::errc() || stop != p || !std::isfinite(value) || std::fpclassify(value) == FP_SUBNORMAL)
        return false;
    if (value == std::trunc(value)) {
        // The document reader keeps a whole number as an integer ("1.0", "1e2", "-0.0" read as
        // 1, 100 and 0); beyond 2^53 that is left to it.
        if (std::fabs(value) > maxExactDouble)
            return false;
        out.integral = true;
        out.integer = static_cast<qint64>(value);
        out.number = static_cast<double>(out.integer);
        return true;
    }
    out.number = value;
    return true;
}

} // namespace

bool FlatJsonLine::scan(std::string_view line, std::span<const std::string_view> wanted, std::span<Value> values)
{
    if (values.size() < wanted.size())
        return false;
    for (auto& v : values)
        v = Value{};
    const char* p = line.data();
    const char* const end = p + line.size();
    p = skipSpace(p, end);
    if (p >= end || *p != '{')
        return false;
    p = skipSpace(p + 1, end);
    if (p < end && *p == '}')
        return skipSpace(p + 1, end) == end;
    for (;;) {
        if (p >= end || *p != '"')
            return false;
        const char* keyEnd = plainStringEnd(p + 1, end);
        if (!keyEnd)
            return false;
        const std::string_view key(p + 1, static_cast<size_t>(keyEnd - p - 1));
        p = skipSpace(keyEnd + 1, end);
        if (p >= end || *p != ':')
            return false;
        p = skipSpace(p + 1, end);
        if (p >= end)
            return false;

        Value* slot = nullptr;
        for (size_t i = 0; i < wanted.size(); ++i) {
            if (wanted[i] == key) {
                slot = &values[i];
                break;
            }
        }
        // Which of two equal keys wins is the full reader's business.
        if (slot && slot->kind != Kind::Absent)
            return false;
        Value value;
        switch (*p) {
        case '"': {
            const char* stringEnd = plainStringEnd(p + 1, end);
            if (!stringEnd)
                return false;
            value.kind = Kind::String;
            value.text = std::string_view(p + 1, static_cast<size_t>(stringEnd - p - 1));
            p = stringEnd + 1;
            break;
        }
        case 't':
            if (!matchWord(p, end, "true"))
                return false;
            value.kind = Kind::Bool;
            value.boolean = true;
            break;
        case 'f':
            if (!matchWord(p, end, "false"))
                return false;
            value.kind = Kind::Bool;
            break;
        case 'n':
            if (!matchWord(p, end, "null"))
                return false;
            value.kind = Kind::Null;
            break;
        default:
            if (!readNumber(p, end, slot != nullptr, value))
                return false;
            value.kind = Kind::Number;
            break;
        }
        if (slot)
            *slot = value;

        p = skipSpace(p, end);
        if (p >= end)
            return false;
        if (*p == '}')
            return skipSpace(p + 1, end) == end;
        if (*p != ',')
            return false;
        p = skipSpace(p + 1, end);
    }
}

std::optional<QString> FlatJsonLine::asString(const Value& v)
{
    if (v.kind != Kind::String)
        return std::nullopt;
    return QString::fromLatin1(v.text.data(), static_cast<qsizetype>(v.text.size()));
}

std::optional<qint64> FlatJsonLine::asInteger(const Value& v)
{
    if (v.kind != Kind::Number)
        return std::nullopt;
    if (v.integral)
        return v.integer;
    const double d = v.number;
    if (!std::isfinite(d) || d != std::trunc(d) || std::fabs(d) > 9.0e18)
        return std::nullopt;
    return static_cast<qint64>(d);
}

std::optional<double> FlatJsonLine::asDouble(const Value& v)
{
    if (v.kind != Kind::Number)
        return std::nullopt;
    return v.number;
}

std::optional<bool> FlatJsonLine::asStrictBool(const Value& v)
{
    if (v.kind != Kind::Bool)
        return std::nullopt;
    return v.boolean;
}

} // namespace vantrel::json
