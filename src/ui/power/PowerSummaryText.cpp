#include "ui/power/PowerSummaryText.h"

#include "l10n/L10n.h"
#include "power/PowerPolicyStateText.h"

namespace vantrel {

QString batteryGateText(const QString& gate, const QString& lang)
{
    if (gate == QStringLiteral("has_battery"))
        return L10n::tr("has_battery", lang);
    if (gate == QStringLiteral("no_battery"))
        return L10n::tr("no_battery", lang);
    return QStringLiteral("-");
}

QString powerStateText(const QString& state, const QString& lang)
{
    return state.isEmpty() ? QStringLiteral("-") : powerPolicyStateDisplayText(state, lang);
}

QString safetyDrainStateText(const QString& state, std::optional<int> countdown, const QString& lang)
{
    if (state == QStringLiteral("active"))
        return L10n::tr("power.safety_drain.state.active", lang);
    if (state == QStringLiteral("waiting"))
        return L10n::format("power.safety_drain.state.waiting", QString::number(countdown.value_or(0)), lang);
    if (state == QStringLiteral("idle"))
        return L10n::tr("power.safety_drain.state.idle", lang);
    return L10n::tr("power.safety_drain.state.off", lang);
}

DSToken safetyDrainStateToken(const QString& state)
{
    if (state == QStringLiteral("active"))
        return DSToken::orange;
    if (state == QStringLiteral("waiting"))
        return DSToken::blue;
    if (state == QStringLiteral("idle"))
        return DSToken::green;
    return DSToken::textSec;
}

QString safetyDrainTargetText(const QString& label, const QString& lang)
{
    return label == QStringLiteral("Auto") ? L10n::tr("power.safety_drain.auto", lang) : label;
}

} // namespace vantrel
