#include "node/daemon/FanPolicy.h"

#include <algorithm>
#include <cmath>

namespace vantrel::node {

double interpolate(FanCurve curve, double temperature)
{
    if (curve.empty())
        return 0;
    std::sort(curve.begin(), curve.end(), [](const auto& a, const auto& b) { return a.temperature < b.temperature; });
    if (temperature <= curve.front().temperature)
        return curve.front().fanPercent;
    for (std::size_t i = 1; i < curve.size(); ++i) {
        const CurvePoint& a = curve[i - 1];
        const CurvePoint& b = curve[i];
        if (temperature <= b.temperature) {
            const double span = b.temperature - a.temperature;
            return span <= 0 ? b.fanPercent
                             : a.fanPercent + (b.fanPercent - a.fanPercent) * (temperature - a.temperature) / span;
        }
    }
    return curve.back().fanPercent;
}

FanPolicy::FanPolicy(Fans& fans)
    : fans_(fans)
{ }

void FanPolicy::configure(const FanSettings& settings)
{
    settings_ = settings;
    settings_.fixedRpm.clear();
    if (!settings_.manual)
        release();
}

bool FanPolicy::setFixedRpm(int fan, int rpm)
{
    for (const FanReading& f : fans_.read())
        if (f.index == fan && f.maxRpm > 0) {
            settings_.fixedRpm.insert(fan, std::min(rpm, f.maxRpm));
            return true;
        }
    return false;
}

void FanPolicy::setAutomatic(int fan)
{
    settings_.fixedRpm.remove(fan);
    settings_.manual = false;
    release();
}

void FanPolicy::reset()
{
    settings_ = FanSettings{};
    release();
}

void FanPolicy::release()
{
    fans_.restoreAutomatic();
    driving_ = false;
}

void FanPolicy::tick(std::optional<double> cpuTemperature, bool drive)
{
    // Without a temperature a curve cannot be followed: the firmware knows better than a stale duty.
    const bool blind = settings_.manual && settings_.fixedRpm.isEmpty() && !cpuTemperature;
    if (!drive || blind || !customPolicyActive() || !fans_.supportsSafeControl()) {
        if (driving_)
            release();
        return;
    }
    for (const FanReading& f : fans_.read()) {
        if (!fans_.canControl(f.index))
            continue;
        std::optional<double> percent;
        if (const auto it = settings_.fixedRpm.constFind(f.index); it != settings_.fixedRpm.cend() && f.maxRpm > 0)
            percent = 100.0 * *it / f.maxRpm;
        else if (settings_.manual && cpuTemperature) {
            const FanCurve& curve
                = f.index == 0 || settings_.unified || settings_.right.empty() ? settings_.left : settings_.right;
            percent = interpolate(curve, *cpuTemperature);
        }
        if (percent && fans_.setDutyPercent(f.index, static_cast<int>(std::lround(std::clamp(*percent, 0.0, 100.0)))))
            driving_ = true;
    }
}

} // namespace vantrel::node
