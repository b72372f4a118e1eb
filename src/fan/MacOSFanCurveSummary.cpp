#include "fan/MacOSFanCurveSummary.h"

#include <algorithm>
#include <cmath>

#include <QStringList>

namespace vantrel {

namespace {

const QString kNotCollected = QStringLiteral("수집 전");
const QString kNeedsObservation = QStringLiteral("순정 모드에서 관측 시작 필요");
const QString kBandsWaiting = QStringLiteral("구간 분석 대기");

struct Band {
    const char* label;
    double lower;
    double upper;
};
constexpr Band kBands[] = {{"<50", 0, 50}, {"50s", 50, 60}, {"60s", 60, 70}, {"70s", 70, 80}, {"80+", 80, 101}};

QString bandText(const std::vector<ObservedMacOSFanPoint>& samples)
{
    QStringList entries;
    for (const auto& band : kBands) {
        long long sum = 0;
        long long count = 0;
        for (const auto& s : samples) {
            if (s.temperature >= band.lower && s.temperature < band.upper) {
                sum += s.rpm;
                ++count;
            }
        }
        if (count > 0)
            entries << QString::fromLatin1(band.label) + QStringLiteral(": ") + QString::number(sum / count)
                    + QStringLiteral("rpm");
    }
    return entries.isEmpty() ? kBandsWaiting : entries.join(QStringLiteral(" · "));
}

// Whole degrees toward zero, kept within the integer range for absurd stored values.
long long truncated(double v)
{
    if (std::isnan(v))
        return 0;
    return static_cast<long long>(std::clamp(std::trunc(v), -9.0e15, 9.0e15));
}

} // namespace

MacOSFanCurveSummary::MacOSFanCurveSummary()
    : temperatureRangeText(kNotCollected)
    , rpmRangeText(kNotCollected)
    , behaviorText(kNeedsObservation)
    , bandText(kBandsWaiting)
{ }

MacOSFanCurveSummary::MacOSFanCurveSummary(const std::vector<ObservedMacOSFanPoint>& samples)
    : MacOSFanCurveSummary()
{
    if (samples.empty())
        return;

    double minT = samples.front().temperature;
    double maxT = minT;
    int minR = samples.front().rpm;
    int maxR = minR;
    std::vector<int> rpms;
    rpms.reserve(samples.size());
    for (const auto& s : samples) {
        minT = std::min(minT, s.temperature);
        maxT = std::max(maxT, s.temperature);
        minR = std::min(minR, s.rpm);
        maxR = std::max(maxR, s.rpm);
        rpms.push_back(s.rpm);
    }

    sampleCount = static_cast<int>(samples.size());
    temperatureRangeText
        = QString::number(truncated(minT)) + QLatin1Char('-') + QString::number(truncated(maxT)) + QStringLiteral("°C");
    rpmRangeText = QString::number(minR) + QLatin1Char('-') + QString::number(maxR) + QStringLiteral(" RPM");
    bandText = vantrel::bandText(samples);

    const double p10 = percentile(rpms, 0.1).value_or(0);
    const double p90 = percentile(rpms, 0.9).value_or(0);
    const double spreadT = maxT - minT;
    const double spreadR = p90 - p10;
    if (samples.size() > 7 && spreadT >= 3.0) {
        if (spreadR < 120)
            behaviorText = QStringLiteral("완만한 유지형");
        else if (spreadT > 1.0 && spreadR / spreadT < 120.0)
            behaviorText = QStringLiteral("단계적 램프형");
        else
            behaviorText = QStringLiteral("급격한 램프형");
    } else {
        behaviorText = QStringLiteral("샘플 부족");
    }
}

std::optional<int> percentile(std::vector<int> values, double p)
{
    if (values.empty())
        return std::nullopt;
    const double position = std::round(p * static_cast<double>(values.size() - 1));
    const double last = static_cast<double>(values.size() - 1);
    const auto index = static_cast<std::ptrdiff_t>(std::isnan(position) ? 0 : std::clamp(position, 0.0, last));
    // Only the element at index needs to be where sorting would put it.
    std::nth_element(values.begin(), values.begin() + index, values.end());
    return values[static_cast<size_t>(index)];
}

} // namespace vantrel
