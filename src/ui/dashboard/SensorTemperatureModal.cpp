#include "ui/dashboard/SensorTemperatureModal.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "l10n/L10n.h"
#include "sensors/SensorSections.h"
#include "ui/dashboard/DashboardRules.h"
#include "ui/widgets/Card.h"
#include "ui/widgets/TokenLabel.h"

namespace vantrel {

using namespace dashboard;

SensorTemperatureModal::SensorTemperatureModal(const std::vector<SensorReading>& readings,
                                               const DashboardRefreshResult& result, QWidget* parent)
    : DetailSheet(parent)
{
    const QString lang = L10n::currentLanguage();
    const auto sections = groupSensorsForDisplay(readings);
    int shown = 0;
    for (const SensorSection& s : sections)
        shown += int(s.readings.size());
    setHeader(QStringLiteral("thermometer.medium"), L10n::tr("전체 센서 온도", lang),
              L10n::format("dashboard.sensors.count", QString::number(shown), lang));

    addMetric(L10n::tr("CPU 온도", lang), result.cpuText,
              result.cpuText == QStringLiteral("-") ? DSToken::textTer : cpuColor(result.cpuValue, 0));
    addMetric(L10n::tr("SSD 센서", lang), result.ssdTempText, ssdColor(result.ssdTempText));
    const auto battery = meanBatteryTemperature(readings);
    addMetric(L10n::tr("배터리 센서", lang), battery ? temperatureText(*battery) : QStringLiteral("-"),
              battery ? token(sensorValueColour(*battery)) : DSToken::textTer);

    for (const SensorSection& section : sections) {
        const QString title = L10n::tr(section.titleKey, lang);
        sectionTitles_ << title;
        auto* card = new Card;
        card->setTitle(title);
        for (const SensorReading& reading : section.readings) {
            auto* row = new QHBoxLayout;
            row->setSpacing(8);
            auto* label = new TokenLabel(reading.label, DSToken::textPri, 13, QFont::Normal, card);
            auto* key = new TokenLabel(reading.key, DSToken::textTer, 11, QFont::Normal, card);
            auto* value = new TokenLabel(QString::asprintf("%.1f°C", reading.value),
                                         token(sensorValueColour(reading.value)), 13, QFont::DemiBold, card);
            row->addWidget(label);
            row->addWidget(key);
            row->addStretch(1);
            row->addWidget(value);
            card->contentLayout()->addLayout(row);
        }
        contentLayout()->addWidget(card);
    }
    if (sections.empty()) {
        auto* empty = new TokenLabel(L10n::tr("dashboard.sensors.none", lang), DSToken::textTer, 13, QFont::Normal);
        empty->setWordWrap(true);
        contentLayout()->addWidget(empty);
    }
    setCloseText(L10n::tr("dashboard.sheet.done", lang));
}

} // namespace vantrel
