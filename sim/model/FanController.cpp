#include "sim/model/FanController.h"

#include <algorithm>

namespace vantrel::sim {

namespace {
// Stock behaviour of the fans: still below 55 °C, running from 60 °C, full at 95 °C.
constexpr double kStockStopCelsius = 55.0;
constexpr double kStockStartCelsius = 60.0;
constexpr double kStockFullCelsius = 95.0;

double percentToward(double temperature, double target)
{
    // Minimum speed 10 °C below a smart target, full speed 5 °C above it.
    return std::clamp((temperature - (target - 10.0)) / 15.0 * 100.0, 0.0, 100.0);
}
} // namespace

FanController::FanController(const std::vector<FanSpec>& fans)
    : stockRunning_(fans.size(), false)
{
    for (const auto& spec : fans)
        fans_.push_back(FanState{spec, FanMode::Auto, std::nullopt, 0, 0});
}

void FanController::applyConfig(const FanConfig& config)
{
    config_ = config;
    for (auto& f : fans_) {
        f.mode = config.manual ? FanMode::Manual : FanMode::Auto;
        f.fixedRpm.reset();
    }
}

bool FanController::setMode(int index, FanMode mode)
{
    if (index < 0 || index >= count())
        return false;
    auto& f = fans_[static_cast<std::size_t>(index)];
    f.mode = mode;
    if (mode == FanMode::Auto)
        f.fixedRpm.reset();
    return true;
}

bool FanController::setFixedRpm(int index, int rpm)
{
    if (index < 0 || index >= count())
        return false;
    auto& f = fans_[static_cast<std::size_t>(index)];
    f.mode = FanMode::Manual;
    f.fixedRpm = rpm <= 0 ? 0 : std::clamp(rpm, f.spec.minRpm, f.spec.maxRpm);
    return true;
}

void FanController::resetToAuto()
{
    applyConfig(FanConfig{});
    smartTargets_ = {};
}

bool FanController::customPolicyActive() const
{
    return std::any_of(fans_.begin(), fans_.end(), [](const FanState& f) { return f.mode == FanMode::Manual; });
}

std::optional<double> FanController::stockPercent(int index, const FanTemperatures& temps)
{
    auto running = stockRunning_[static_cast<std::size_t>(index)];
    if (temps.cpu >= kStockStartCelsius)
        running = true;
    else if (temps.cpu < kStockStopCelsius)
        running = false;
    stockRunning_[static_cast<std::size_t>(index)] = running;
    std::optional<double> percent;
    if (running)
        percent = std::clamp((temps.cpu - kStockStartCelsius) / (kStockFullCelsius - kStockStartCelsius) * 100.0, 0.0,
                             100.0);
    const auto raise = [&percent](double p) {
        if (p > 0)
            percent = std::max(percent.value_or(0.0), p);
    };
    if (smartTargets_.cpu)
        raise(percentToward(temps.cpu, *smartTargets_.cpu));
    if (smartTargets_.gpu)
        raise(percentToward(temps.gpu, *smartTargets_.gpu));
    if (smartTargets_.memory)
        raise(percentToward(temps.memory, *smartTargets_.memory));
    return percent;
}

double FanController::targetFor(int index, const FanTemperatures& temps, bool forceMaximum)
{
    auto& f = fans_[static_cast<std::size_t>(index)];
    // The stock curve keeps its own start/stop state even while overridden.
    std::optional<double> percent = stockPercent(index, temps);
    if (forceMaximum)
        return f.spec.maxRpm;
    if (f.mode == FanMode::Manual) {
        if (f.fixedRpm)
            return *f.fixedRpm;
        const FanCurve& curve = (index == 0 || config_.unified || config_.right.empty()) ? config_.left : config_.right;
        const double p = interpolateCurve(curve, temps.cpu);
        percent = p > 0 ? std::optional<double>(p) : std::nullopt;
    }
    if (!percent)
        return 0;
    // A running fan turns at least at its minimum speed.
    return std::clamp(*percent / 100.0 * f.spec.maxRpm, static_cast<double>(f.spec.minRpm),
                      static_cast<double>(f.spec.maxRpm));
}

void FanController::step(const FanTemperatures& temps, bool forceMaximum, double dt)
{
    for (int i = 0; i < count(); ++i) {
        auto& f = fans_[static_cast<std::size_t>(i)];
        f.targetRpm = targetFor(i, temps, forceMaximum);
        if (f.targetRpm <= 0) {
            // Spinning down: below the minimum the fan stops.
            f.actualRpm = std::max(0.0, f.actualRpm - kRampDownRpmPerSecond * dt);
            if (f.actualRpm < f.spec.minRpm)
                f.actualRpm = 0;
        } else if (f.actualRpm < f.targetRpm) {
            // A stopped fan starts straight at its minimum speed.
            const double from = std::max(f.actualRpm, static_cast<double>(f.spec.minRpm) - kRampUpRpmPerSecond * dt);
            f.actualRpm = std::min(f.targetRpm, from + kRampUpRpmPerSecond * dt);
        } else {
            f.actualRpm = std::max(f.targetRpm, f.actualRpm - kRampDownRpmPerSecond * dt);
        }
    }
}

double FanController::airflow() const
{
    if (fans_.empty())
        return 0;
    double sum = 0;
    for (const auto& f : fans_)
        sum += f.spec.maxRpm > 0 ? f.actualRpm / f.spec.maxRpm : 0;
    return sum / static_cast<double>(fans_.size());
}

} // namespace vantrel::sim
