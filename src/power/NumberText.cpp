#include "power/NumberText.h"

#include <charconv>
#include <cmath>

namespace vantrel {

QString shortestDecimal(double d)
{
    if (std::isnan(d))
        return QStringLiteral("nan");
    if (std::isinf(d))
        return d > 0 ? QStringLiteral("inf") : QStringLiteral("-inf");
    char buffer[64];
    // Plain notation up to 2^53 keeps whole numbers readable; larger ones use an exponent.
    const auto format = std::fabs(d) < 9007199254740992.0 ? std::chars_format::fixed : std::chars_format::general;
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, d, format);
    if (ec != std::errc())
        return QString::number(d);
    QString text = QString::fromLatin1(buffer, static_cast<qsizetype>(end - buffer));
    if (!text.contains(QLatin1Char('.')) && !text.contains(QLatin1Char('e')))
        text += QStringLiteral(".0");
    return text;
}

} // namespace vantrel
