#pragma once
// The fan configuration "set_fan_config" carries and both daemons keep: the mode, a curve per
// side (the left one drives every fan when unified) and the preset the curves came from.
#include <vector>

#include <QString>

namespace vantrel::daemonserver {

struct CurvePoint {
    double temperature = 0;
    double fanPercent = 0;
    bool operator==(const CurvePoint&) const = default;
};
using FanCurve = std::vector<CurvePoint>;

struct FanConfig {
    bool manual = false;
    bool unified = true;
    FanCurve left;
    FanCurve right;
    QString presetName = QStringLiteral("macos_default");
    bool smartAppPreset = false;
};

// Fan percent at temperature: linear between points (in temperature order), flat outside,
// never outside 0 to 100.
double interpolateCurve(const FanCurve& curve, double temperature);

} // namespace vantrel::daemonserver
