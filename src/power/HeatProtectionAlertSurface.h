#pragma once
// A screen that may show heat-protection alerts; each surface gets its own copy of each alert.
#include <QString>

namespace vantrel {

enum class HeatProtectionAlertSurface {
    dashboard,
    fan,
    power
};

inline QString rawValue(HeatProtectionAlertSurface surface)
{
    switch (surface) {
    case HeatProtectionAlertSurface::dashboard:
        return QStringLiteral("dashboard");
    case HeatProtectionAlertSurface::fan:
        return QStringLiteral("fan");
    case HeatProtectionAlertSurface::power:
        return QStringLiteral("power");
    }
    return {};
}

} // namespace vantrel
