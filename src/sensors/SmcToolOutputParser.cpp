#include "sensors/SmcToolOutputParser.h"

#include <charconv>
#include <cmath>
#include <optional>

namespace vantrel {
namespace {

bool isBlank(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); }

QStringView trimBlanks(QStringView s)
{
    qsizetype begin = 0;
    qsizetype end = s.size();
    while (begin < end && isBlank(s[begin]))
        ++begin;
    while (end > begin && isBlank(s[end - 1]))
        --end;
    return s.mid(begin, end - begin);
}

// The whole text as a decimal number: an optional sign, digits with an optional fraction and
// exponent, or inf/nan. Nothing for leading or trailing characters of any other kind.
std::optional<double> parseDecimal(QStringView text)
{
    if (text.isEmpty() || text.size() > 64)
        return std::nullopt;
    char buffer[65];
    qsizetype n = 0;
    for (const QChar c : text) {
        if (c.unicode() > 0x7f)
            return std::nullopt;
        buffer[n++] = static_cast<char>(c.unicode());
    }
    const char* begin = buffer;
    const char* end = buffer + n;
    if (*begin == '+' && n > 1 && begin[1] != '-' && begin[1] != '+')
        ++begin;
    double value = 0;
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    if (ec != std::errc() || ptr != end)
        return std::nullopt;
    return value;
}

} // namespace

QHash<QString, double> parseSmcToolOutput(QStringView output)
{
    QHash<QString, double> values;
    for (const QStringView rawLine : output.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringView line = trimBlanks(rawLine);
        if (line.isEmpty())
            continue;
        const qsizetype space = line.indexOf(QLatin1Char(' '));
        if (space <= 0)
            continue;
        const QStringView key = line.left(space);
        const qsizetype bracket = line.indexOf(QLatin1Char(']'));
        if (bracket < 0)
            continue;
        const auto pieces = line.mid(bracket + 1).split(QLatin1Char('('), Qt::SkipEmptyParts);
        const QStringView valueText = pieces.isEmpty() ? QStringView() : trimBlanks(pieces.front());
        const auto value = parseDecimal(valueText);
        if (!value || !(std::fabs(*value) < kSmcValueLimit))
            continue;
        values.insert(key.toString(), *value);
    }
    return values;
}

} // namespace vantrel
