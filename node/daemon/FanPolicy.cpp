#include "node/daemon/FanPolicy.h"

#include <algorithm>
#include <cmath>

namespace vantrel::node {

FanPolicy::FanPolicy(Fans& fans)
    : fans_(fans)
{ }

void FanPolicy::configure(const FanConfig& settings)
{
    settings_ = settings;
    fixedRpm_.clear();
    if (!settings_.manual)
        release();
}

bool FanPolicy::setFixedRpm(int fan, int rpm)
{
    for (const FanReading& f : fans_.read())
        if (f.index == fan && f.maxRpm > 0) {
            fixedRpm_.insert(fan, std::min(rpm, f.maxRpm));
            return true;
        }
    return false;
}

void FanPolicy::setAutomatic(int fan)
{
    fixedRpm_.remove(fan);
    settings_.manual = false;
    release();
}

void FanPolicy::reset()
{
    settings_ = FanConfig{};
    fixedRpm_.clear();
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
    const bool blind = settings_.manual && fixedRpm_.isEmpty() && !cpuTemperature;
    if (!drive || blind || !customPolicyActive() || !fans_.supportsSafeControl()) {
        if (driving_)
            release();
        return;
    }
    for (const FanReading& f : fans_.read()) {
        if (!fans_.canControl(f.index))
            continue;
        std::optional<double> percent;
        if (const auto it = fixedRpm_.constFind(f.index); it != fixedRpm_.cend() && f.maxRpm > 0)
            percent = 100.0 * *it / f.maxRpm;
        else if (settings_.manual && cpuTemperature) {
            const FanCurve& curve
                = f.index == 0 || settings_.unified || settings_.right.empty() ? settings_.left : settings_.right;
            percent = interpolateCurve(curve, *cpuTemperature);
        }
        if (percent && fans_.setDutyPercent(f.index, static_cast<int>(std::lround(std::clamp(*percent, 0.0, 100.0)))))
            driving_ = true;
    }
}

} // namespace vantrel::node
