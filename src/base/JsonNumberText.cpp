#include "base/JsonNumberText.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <string_view>

namespace vantrel::json {
namespace {

constexpr double maxExactInteger = 9007199254740992.0; // 2^53

} // namespace

bool appendCompactDouble(std::string& out, double d)
{
    if (!std::isfinite(d) || (d == 0 && std::signbit(d)))
        return false;
    if (d == std::trunc(d)) {
        // QJsonValue keeps such a double as an integer and writes its digits.
        if (std::fabs(d) > maxExactInteger)
            return false;
        char buffer[24];
        const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, static_cast<std::int64_t>(d));
        if (error != std::errc())
            return false;
        out.append(buffer, end);
        return true;
    }

    // The shortest digits that read back as d, from the scientific form "D.DDDe±X".
    char buffer[40];
    const auto [end, error]
        = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(d), std::chars_format::scientific);
    if (error != std::errc())
        return false;
    const std::string_view text(buffer, static_cast<size_t>(end - buffer));
    const size_t e = text.find('e');
    if (e == std::string_view::npos)
        return false;
    std::string digits;
    for (char c : text.substr(0, e))
        if (c != '.')
            digits += c;
    int exponent = 0;
    std::string_view exponentText = text.substr(e + 1);
    if (!exponentText.empty() && exponentText.front() == '+')
        exponentText.remove_prefix(1);
    if (std::from_chars(exponentText.data(), exponentText.data() + exponentText.size(), exponent).ec != std::errc())
        return false;
    const auto length = static_cast<int>(digits.size());
    const int decpt = exponent + 1; // d = 0.digits × 10^decpt

    // Decimal unless the exponent form is shorter; what the exponent form adds ("e", sign, two
    // digits) against what the decimal form adds, ties going to the decimal form.
    int bias = 4;
    if (length <= decpt && length > 1)
        ++bias;
    else if (length == 1 && decpt <= 0)
        --bias;
    const bool decimal = decpt <= 0 ? 1 - decpt <= bias : (decpt <= length || decpt <= length + bias);

    if (d < 0)
        out += '-';
    if (!decimal) {
        out += digits[0];
        if (length > 1) {
            out += '.';
            out.append(digits, 1);
        }
        const int shown = decpt - 1;
        out += shown < 0 ? "e-" : "e+";
        const int magnitude = std::abs(shown);
        if (magnitude < 10)
            out += '0';
        out += std::to_string(magnitude);
        return true;
    }
    if (decpt <= 0) {
        out += "0.";
        out.append(static_cast<size_t>(-decpt), '0');
        out += digits;
    } else if (decpt >= length) {
        out += digits;
        out.append(static_cast<size_t>(decpt - length), '0');
    } else {
        out.append(digits, 0, static_cast<size_t>(decpt));
        out += '.';
        out.append(digits, static_cast<size_t>(decpt));
    }
    return true;
}

} // namespace vantrel::json
