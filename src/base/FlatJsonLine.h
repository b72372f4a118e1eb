#pragma once
// A fast reader for the JSON Lines records the application reads by the ten thousand: a flat
// object of plain values, read straight from its bytes without building a document.
// It only answers when it is sure to read the line exactly as QJsonDocument would; for anything
// else (nesting, escapes, text outside printable ASCII, unusual numbers, a wanted key given
// twice, any syntax error) it declines and the caller decodes the line with the full reader.
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include <QString>

namespace vantrel::json {

class FlatJsonLine {
public:
    enum class Kind : std::uint8_t {
        Absent,
        Null,
        Bool,
        Number,
        String
    };

    struct Value {
        Kind kind = Kind::Absent;
        bool boolean = false;
        bool integral = false; // a number written without fraction or exponent
        qint64 integer = 0; // when integral
        double number = 0;
        std::string_view text; // the characters of a string, without the quotes
    };

    // Reads line (surrounding JSON white space allowed) as one object and fills values[i] with
    // the value of wanted[i] (Absent when the key is not there). False: not sure, use the full reader.
    static bool scan(std::string_view line, std::span<const std::string_view> wanted, std::span<Value> values);

    // The typing rules of JsonAccess over a scanned value: nothing for a value of another kind.
    static std::optional<QString> asString(const Value& v);
    static std::optional<qint64> asInteger(const Value& v);
    static std::optional<double> asDouble(const Value& v);
    static std::optional<bool> asStrictBool(const Value& v);
    // Absent or null.
    static bool isMissing(const Value& v) { return v.kind == Kind::Absent || v.kind == Kind::Null; }
};

} // namespace vantrel::json
