#pragma once
// Fan curves as JSON: the request form of "set_fan_config" ({"temp", "fan"} points) and the
// stored form of the user settings ({"name", "points": [{"temperature", "fan_percent"}]}).
#include <optional>

#include <QJsonObject>
#include <QJsonValue>

#include "daemonserver/FanConfig.h"

namespace vantrel::daemonserver {

enum class CurveForm {
    Request,
    Stored
};

// The points of an array in the given form; nothing when it is not an array or an element is malformed.
std::optional<FanCurve> curveFromJson(const QJsonValue& points, CurveForm form);
// The stored form of a named curve.
QJsonObject storedCurve(const QString& name, const FanCurve& curve);

} // namespace vantrel::daemonserver
