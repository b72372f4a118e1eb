#include "ui/power/SafetyDrainTargetOptions.h"

#include "l10n/L10n.h"

namespace vantrel {

std::vector<SafetyDrainTargetOption> safetyDrainTargetOptions(int autoTarget, const QString& lang)
{
    std::vector<SafetyDrainTargetOption> options;
    options.push_back({QStringLiteral("auto"), std::nullopt, L10n::tr("power.safety_drain.auto", lang),
                       L10n::format("power.safety_drain.auto_caption", QString::number(autoTarget), lang)});
    for (int target : {80, 70, 60, 50})
        options.push_back({QStringLiteral("fixed-") + QString::number(target), target,
                           QString::number(target) + QLatin1Char('%'),
                           L10n::format("power.safety_drain.fixed_caption", QString::number(target), lang)});
    return options;
}

} // namespace vantrel
