#pragma once
// Who drives the fans: the operating system, or the daemon following this application's curves.
#include <optional>

#include <QString>

namespace vantrel {

enum class FanMode {
    Auto,
    Manual
};

// "Auto (macOS)" / "Manual Curve": stored under "fanMode" and written in logs.
QString rawValue(FanMode mode);
// Nothing for any other text.
std::optional<FanMode> fanModeFromRawValue(const QString& raw);
// "auto" / "manual", the "mode" of "set_fan_config".
QString daemonValue(FanMode mode);

} // namespace vantrel
