#include "ui/dashboard/DashboardRules.h"

#include <algorithm>
#include <cmath>

#include <QRegularExpression>

#include "sensors/DisplayBands.h"

namespace vantrel::dashboard {

QString policyInCharge(const DashboardRefreshResult& r, bool seedSleepFlag, const QString& macosDefault)
{
    if (r.fanPolicyEnabled)
        return QStringLiteral("Fan Policy");
    if (r.chargeLimitEnabled || r.chargeProtectorEnabled)
        return QStringLiteral("Power Policy");
    if (r.sleepDisabledByVantrel || seedSleepFlag)
        return QStringLiteral("Sleep Policy");
    return macosDefault;
}

DSToken cpuColor(double celsius, double loadPercent)
{
    if (celsius >= 85.0 || loadPercent >= 90.0)
        return DSToken::red;
    if (celsius >= 70.0 || loadPercent >= 70.0)
        return DSToken::orange;
    return DSToken::green;
}

DSToken memoryLevelColor(const QString& level)
{
    const QString l = level.toLower();
    if (l == QStringLiteral("critical") || l == QStringLiteral("high"))
        return DSToken::red;
    if (l == QStringLiteral("medium"))
        return DSToken::orange;
    if (l == QStringLiteral("low") || l == QStringLiteral("normal"))
        return DSToken::green;
    return DSToken::grey;
}

DSToken memoryUseColor(const QString& memoryUsedGB) { return token(memoryUseColour(memoryUsedRatio(memoryUsedGB))); }

DSToken ssdColor(const QString& ssdTempText)
{
    const auto t = leadingNumber(ssdTempText);
    return t ? token(ssdTemperatureColour(*t)) : DSToken::grey;
}

DSToken token(BandColour colour)
{
    switch (colour) {
    case BandColour::Red:
        return DSToken::red;
    case BandColour::Orange:
        return DSToken::orange;
    case BandColour::Green:
        return DSToken::green;
    case BandColour::Cyan:
        return DSToken::cyan;
    case BandColour::PrimaryText:
        return DSToken::textPri;
    }
    return DSToken::textPri;
}

QString usedOfTotalText(double usedBytes, double totalBytes)
{
    auto whole = [](double gib) { return QString::number(static_cast<qint64>(gib)); };
    const double used = std::max(0.0, usedBytes) / 1073741824.0;
    const double total = std::max(0.0, totalBytes) / 1073741824.0;
    // Whole GiB, truncated; a tenth below 10 GiB, so a lightly used machine does not read "0".
    const QString usedText = used < 10 ? QString::number(std::floor(used * 10) / 10, 'f', 1) : whole(used);
    return QStringLiteral("%1 / %2 GB").arg(usedText, whole(total));
}

QString temperatureText(double celsius) { return QString::asprintf("%.0f°C", celsius); }

std::optional<double> leadingNumber(const QString& text)
{
    static const QRegularExpression number(QStringLiteral("^\\s*(-?\\d+(?:\\.\\d+)?)"));
    const auto m = number.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    return m.captured(1).toDouble();
}

} // namespace vantrel::dashboard
