#include "fan/FanMode.h"

namespace vantrel {

QString rawValue(FanMode mode)
{
    return mode == FanMode::Manual ? QStringLiteral("Manual Curve") : QStringLiteral("Auto (macOS)");
}

std::optional<FanMode> fanModeFromRawValue(const QString& raw)
{
    if (raw == QLatin1String("Auto (macOS)"))
        return FanMode::Auto;
    if (raw == QLatin1String("Manual Curve"))
        return FanMode::Manual;
    return std::nullopt;
}

QString daemonValue(FanMode mode)
{
    return mode == FanMode::Manual ? QStringLiteral("manual") : QStringLiteral("auto");
}

} // namespace vantrel
