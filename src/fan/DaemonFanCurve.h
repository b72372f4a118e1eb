#pragma once
// The curve form of the daemon's canonical user settings (snake_case keys).
#include <optional>

#include <QJsonObject>

#include "fan/FanCurveSettings.h"

namespace vantrel {

// Nothing when "name" or "points" is missing or mistyped, "points" is empty, or one of its
// elements does not convert; "right_points" elements that do not convert are skipped.
std::optional<FanCurveSettings> fanCurveFromDaemonSettings(const QJsonObject& settings);

} // namespace vantrel
