#include "ui/dashboard/PressureDetailModal.h"

#include "l10n/L10n.h"

namespace vantrel {

PressureDetailModal::PressureDetailModal(PressureDetail subject, const DashboardRefreshResult& result, QWidget* parent)
    : DetailSheet(parent)
    , subject_(subject)
{
    const QString lang = L10n::currentLanguage();
    const QString updated = result.lastUpdated == QStringLiteral("-")
        ? QString()
        : L10n::format("dashboard.updated_at", result.lastUpdated, lang);
    setHeader(dashboard::pressureSymbol(subject), dashboard::pressureTitle(subject, lang), updated);
    for (const PressureMetric& m : dashboard::pressureMetrics(subject, result, lang))
        addMetric(m.title, m.value, m.color);
    for (const PressureDetailSection& s : dashboard::pressureSections(subject, lang))
        addSection(s.title, s.body);
    setCloseText(L10n::tr("dashboard.sheet.done", lang));
}

} // namespace vantrel
