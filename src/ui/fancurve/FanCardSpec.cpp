#include "ui/fancurve/FanCardSpec.h"

#include <utility>

#include "l10n/L10n.h"

namespace vantrel {

namespace {

const std::pair<int, const char*> kTitleKeys[] = {
    {1, "state.macos_default"},
    {2, "feature.fan.vantrel_curve_control"},
    {4, "feature.runtime.hardware_interlock"},
    {5, "feature.fan.preemptive_cooling"},
    {6, "feature.fan.calibration"},
    {7, "feature.fan.unified_curve"},
    {8, "curve_silent"},
    {9, "curve_balance"},
    {10, "curve_performance"},
    {12, "feature.fan.custom_preset"},
    {13, "feature.fan.smart_app_preset"},
    {14, "feature.fan.unlimited_presets"},
};

} // namespace

QString FanCardSpecs::titleKey(int id)
{
    for (const auto& [cardId, key] : kTitleKeys)
        if (cardId == id)
            return QString::fromUtf8(key);
    return {};
}

FanCardSpec FanCardSpecs::spec(int id, const QString& lang)
{
    FanCardSpec s;
    s.id = id;
    s.titleKey = titleKey(id);
    if (s.titleKey.isEmpty())
        return s;
    s.title = L10n::tr(s.titleKey, lang);
    s.description = L10n::tr(s.titleKey + QStringLiteral(".desc"), lang);
    s.result = L10n::tr(s.titleKey + QStringLiteral(".result"), lang);
    for (int i = 1; i <= 4; ++i) {
        const QString key = s.titleKey + QStringLiteral(".modal.%1").arg(i);
        if (L10n::hasText(key))
            s.steps << L10n::tr(key, lang);
    }
    if (featureRows().contains(id)) {
        s.switchable = id == hardwareInterlockRow;
        s.connectionLabel = s.switchable ? QStringLiteral("reset_to_vanilla") : QStringLiteral("backend needed");
    }
    return s;
}

std::vector<FanCardSpec> FanCardSpecs::makeSpecs(const QString& lang)
{
    std::vector<FanCardSpec> out;
    for (const auto& entry : kTitleKeys)
        out.push_back(spec(entry.first, lang));
    return out;
}

const QList<int>& FanCardSpecs::modeCards()
{
    static const QList<int> ids{1, 2};
    return ids;
}

const QList<int>& FanCardSpecs::presetCards()
{
    static const QList<int> ids{8, 9, 10};
    return ids;
}

const QList<int>& FanCardSpecs::featureRows()
{
    static const QList<int> ids{4, 5, 6, 7, 12, 13, 14};
    return ids;
}

} // namespace vantrel
