#pragma once
// The daemon's own fan control on a machine whose fans are on the known-safe list: a curve per
// fan evaluated against the CPU temperature, or a fixed speed, written as PWM duty. Anything
// else leaves the fans to the firmware.
#include <optional>
#include <vector>

#include <QHash>
#include <QJsonObject>
#include <QString>

#include "daemonserver/FanConfig.h"
#include "node/fans/Fans.h"

namespace vantrel::node {

using daemonserver::CurvePoint;
using daemonserver::FanConfig;
using daemonserver::FanCurve;

class FanPolicy {
public:
    explicit FanPolicy(Fans& fans);

    // The configuration for every fan; fixed speeds are dropped.
    void configure(const FanConfig& settings);
    // Fixed speed for one fan; false when its maximum speed is unknown (no duty to aim at).
    bool setFixedRpm(int fan, int rpm);
    void setAutomatic(int fan);
    void reset();
    // Drives the fans from temperature (nothing when unknown); with drive false they go back to automatic.
    void tick(std::optional<double> cpuTemperature, bool drive);
    // Hands every fan back to the firmware (lease lapse, exit).
    void release();

    const FanConfig& settings() const { return settings_; }
    bool customPolicyActive() const { return settings_.manual || !fixedRpm_.isEmpty(); }

private:
    Fans& fans_;
    FanConfig settings_;
    QHash<int, int> fixedRpm_; // by fan index
    bool driving_ = false;
};

} // namespace vantrel::node
