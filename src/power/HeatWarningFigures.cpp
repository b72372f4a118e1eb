#include "power/HeatWarningFigures.h"

#include <cmath>

#include <QRegularExpression>

#include "base/JsonAccess.h"

namespace vantrel {
namespace {

std::optional<double> finite(std::optional<double> v)
{
    if (v && std::isfinite(*v))
        return v;
    return std::nullopt;
}

} // namespace

std::optional<HeatWarningFigures> HeatWarningFigures::read(const QString& warning, const QJsonObject& power,
                                                           std::optional<double> storedLimit)
{
    if (!warning.contains(QStringLiteral("가깝")))
        return std::nullopt;

    // "배터리 온도가 36.5°C로 열 보호 기준 37.0°C에 가깝습니다.": the battery's figure, then the
    // limit; a single figure is the limit.
    static const QRegularExpression degrees(QStringLiteral(R"((-?\d+(?:\.\d+)?)\s*°C)"));
    std::vector<double> inText;
    for (auto it = degrees.globalMatch(warning); it.hasNext();)
        inText.push_back(it.next().captured(1).toDouble());

    HeatWarningFigures figures;
    figures.batteryTemperature = finite(json::number(power, QStringLiteral("battery_temperature")));
    if (!figures.batteryTemperature && inText.size() >= 2)
        figures.batteryTemperature = inText.front();
    std::optional<double> limit = finite(json::number(power, QStringLiteral("max_battery_temp")));
    if (!limit && !inText.empty())
        limit = inText.back();
    if (!limit)
        limit = finite(storedLimit);
    if (!limit)
        return std::nullopt;
    figures.limit = *limit;
    return figures;
}

QString HeatWarningFigures::figure(double celsius)
{
    QString text = QString::number(std::round(celsius * 10) / 10, 'f', 1);
    if (text.endsWith(QLatin1String(".0")))
        text.chop(2);
    return text == QLatin1String("-0") ? QStringLiteral("0") : text;
}

} // namespace vantrel
