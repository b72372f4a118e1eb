#include "sensors/DisplayBands.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include <QStringList>

namespace vantrel {
namespace {

// A size such as "16 GB", "512 MB" or "1 TB" in gigabytes; nothing when there is no number.
std::optional<double> gigabytes(const QString& part)
{
    const QString trimmed = part.trimmed();
    QString number;
    for (const QChar c : trimmed)
        if (c.isDigit() || c == QLatin1Char('.'))
            number.append(c);
    bool ok = false;
    double value = number.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    if (trimmed.contains(QStringLiteral("TB"), Qt::CaseInsensitive))
        value *= 1024;
    else if (trimmed.contains(QStringLiteral("MB"), Qt::CaseInsensitive))
        value /= 1024;
    return value;
}

} // namespace

double memoryUsedRatio(const QString& memoryUsedGB)
{
    const qsizetype slash = memoryUsedGB.indexOf(QLatin1Char('/'));
    QStringList parts;
    if (slash < 0)
        parts << memoryUsedGB;
    else
        parts << memoryUsedGB.left(slash) << memoryUsedGB.mid(slash + 1);
    parts.removeAll(QString());
    if (parts.size() < 2)
        return 0;
    const auto used = gigabytes(parts[0]);
    const auto total = gigabytes(parts[1]);
    if (!used || !total || !(*total > 0))
        return 0;
    return *used / *total;
}

double memoryGaugePosition(const QString& memoryLevel, const QString& memoryUsedGB)
{
    const QString level = memoryLevel.toLower();
    if (level == QStringLiteral("critical"))
        return 0.95;
    if (level == QStringLiteral("high"))
        return 0.82;
    if (level == QStringLiteral("medium") || level == QStringLiteral("warn") || level == QStringLiteral("warning"))
        return 0.55;
    if (level == QStringLiteral("low") || level == QStringLiteral("normal"))
        return 0.18;
    return std::clamp(memoryUsedRatio(memoryUsedGB), 0.0, 1.0);
}

BandColour memoryUseColour(double ratio)
{
    if (ratio >= 0.9)
        return BandColour::Red;
    if (ratio >= 0.75)
        return BandColour::Orange;
    return BandColour::PrimaryText;
}

BandColour ssdTemperatureColour(double celsius)
{
    if (celsius >= 70)
        return BandColour::Red;
    if (celsius >= 55)
        return BandColour::Orange;
    return BandColour::Cyan;
}

} // namespace vantrel
