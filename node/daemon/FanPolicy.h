#pragma once
// The daemon's own fan control on a machine whose fans are on the known-safe list: a curve per
// fan evaluated against the CPU temperature, or a fixed speed, written as PWM duty. Anything
// else leaves the fans to the firmware.
#include <optional>
#include <vector>

#include <QHash>
#include <QJsonObject>
#include <QString>

#include "node/fans/Fans.h"

namespace vantrel::node {

struct CurvePoint {
    double temperature = 0;
    double fanPercent = 0;
};
using FanCurve = std::vector<CurvePoint>;

// Fan percent at temperature: linear between points (in temperature order), flat outside.
double interpolate(FanCurve curve, double temperature);

struct FanSettings {
    bool manual = false;
    bool unified = true;
    FanCurve left;
    FanCurve right;
    QString presetName = QStringLiteral("macos_default");
    bool smartAppPreset = false;
    QHash<int, int> fixedRpm; // by fan index
};

class FanPolicy {
public:
    explicit FanPolicy(Fans& fans);

    void configure(const FanSettings& settings);
    // Fixed speed for one fan; false when its maximum speed is unknown (no duty to aim at).
    bool setFixedRpm(int fan, int rpm);
    void setAutomatic(int fan);
    void reset();
    // Drives the fans from temperature (nothing when unknown); with drive false they go back to automatic.
    void tick(std::optional<double> cpuTemperature, bool drive);
    // Hands every fan back to the firmware (lease lapse, exit).
    void release();

    const FanSettings& settings() const { return settings_; }
    bool customPolicyActive() const { return settings_.manual || !settings_.fixedRpm.isEmpty(); }

private:
    Fans& fans_;
    FanSettings settings_;
    bool driving_ = false;
};

} // namespace vantrel::node
