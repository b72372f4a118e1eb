#pragma once
// The fans: in auto mode a stock curve (fans still until the CPU is warm), in manual mode the
// applied curve or a fixed speed; actual speeds follow their targets within ramp limits.
#include <optional>
#include <vector>

#include <QString>

#include "daemonserver/FanConfig.h"
#include "sim/model/MachineProfile.h"

namespace vantrel::sim {

using daemonserver::CurvePoint;
using daemonserver::FanConfig;
using daemonserver::FanCurve;
using daemonserver::interpolateCurve;

enum class FanMode {
    Auto,
    Manual
};

// Temperatures the daemon aims to keep components under ("set_smart_target_config").
struct SmartTargets {
    std::optional<double> cpu;
    std::optional<double> gpu;
    std::optional<double> memory;
    bool any() const { return cpu || gpu || memory; }
};

struct FanState {
    FanSpec spec;
    FanMode mode = FanMode::Auto;
    std::optional<int> fixedRpm; // "set_fan_rpm" in manual mode
    double targetRpm = 0;
    double actualRpm = 0;
};

struct FanTemperatures {
    double cpu = 0;
    double gpu = 0;
    double memory = 0;
};

class FanController {
public:
    explicit FanController(const std::vector<FanSpec>& fans);

    int count() const { return static_cast<int>(fans_.size()); }
    const FanState& fan(int index) const { return fans_.at(static_cast<std::size_t>(index)); }
    const FanConfig& config() const { return config_; }

    // "set_fan_config": the mode and curves for every fan.
    void applyConfig(const FanConfig& config);
    // "set_fan_mode" / "set_fan_rpm" for one fan; false for an index the machine lacks.
    bool setMode(int index, FanMode mode);
    bool setFixedRpm(int index, int rpm);
    void setSmartTargets(const SmartTargets& targets) { smartTargets_ = targets; }
    const SmartTargets& smartTargets() const { return smartTargets_; }
    void resetToAuto();

    // A custom fan policy is in force: some fan is in manual mode.
    bool customPolicyActive() const;

    void step(const FanTemperatures& temps, bool forceMaximum, double dt);
    // Mean of actual speed / maximum over the fans (0 without fans).
    double airflow() const;

    static constexpr double kRampUpRpmPerSecond = 400.0;
    static constexpr double kRampDownRpmPerSecond = 250.0;

private:
    // Percent of the stock control (with smart targets); nothing while the fan should stand still.
    std::optional<double> stockPercent(int index, const FanTemperatures& temps);
    double targetFor(int index, const FanTemperatures& temps, bool forceMaximum);

    std::vector<FanState> fans_;
    std::vector<bool> stockRunning_;
    FanConfig config_;
    SmartTargets smartTargets_;
};

} // namespace vantrel::sim
