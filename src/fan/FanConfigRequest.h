#pragma once
// The one "set_fan_config" request every fan apply sends.
#include <vector>

#include <QJsonObject>
#include <QString>

#include "fan/CurvePoint.h"
#include "fan/FanMode.h"

namespace vantrel {

struct FanConfigRequest {
    FanMode mode = FanMode::Auto;
    bool unified = true;
    std::vector<CurvePoint> leftPoints;
    std::vector<CurvePoint> rightPoints;
    QString presetName;
    bool smartAppPreset = false;

    // {"cmd": "set_fan_config", "mode", "unified", "left_points", "right_points", "preset_name", "smart_app_preset"}
    QJsonObject toJson() const;
};

} // namespace vantrel
