#include "ui/power/PowerContractPanel.h"

#include <algorithm>

#include <QDateTime>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "l10n/L10n.h"
#include "power/BatteryHourlyBarsGeometry.h"
#include "power/PowerPageModel.h"
#include "ui/power/BatteryChargeChart.h"
#include "ui/power/PowerSummaryText.h"
#include "ui/power/PowerTelemetryFeed.h"
#include "ui/power/ProtectionSliderCard.h"
#include "ui/widgets/Card.h"
#include "ui/widgets/HistoryChart.h"
#include "ui/widgets/MetricView.h"
#include "ui/widgets/TokenLabel.h"

namespace vantrel {

namespace {

std::vector<MarkedSlider::Mark> chargeMarks()
{
    std::vector<MarkedSlider::Mark> marks;
    for (int v = 50; v <= 100; v += 10)
        marks.push_back({v, v == 70 || v == 80 || v == 90, QString::number(v)});
    return marks;
}

std::vector<MarkedSlider::Mark> heatMarks()
{
    std::vector<MarkedSlider::Mark> marks;
    for (int v : {30, 35, 40, 45})
        marks.push_back({v, v == 35 || v == 40, QString::number(v)});
    return marks;
}

DSToken batteryToken(int percent)
{
    if (percent <= 10)
        return DSToken::red;
    if (percent <= 20)
        return DSToken::orange;
    return DSToken::green;
}

} // namespace

PowerContractPanel::PowerContractPanel(PowerPageModel& model, PowerTelemetryFeed& telemetry, QWidget* parent)
    : QWidget(parent)
    , model_(model)
    , telemetry_(telemetry)
{
    summary_ = new Card(this);
    summary_->setSymbol(QStringLiteral("battery.75percent"));
    metricsGrid_ = new QGridLayout;
    metricsGrid_->setHorizontalSpacing(18);
    metricsGrid_->setVerticalSpacing(12);
    battery_ = new MetricView(QString(), summary_);
    gate_ = new MetricView(QString(), summary_);
    powerState_ = new MetricView(QString(), summary_);
    drain_ = new MetricView(QString(), summary_);
    alert_ = new MetricView(QString(), summary_);
    for (MetricView* m : {battery_, gate_, powerState_, drain_, alert_})
        m->setValuePixelSize(17);
    summary_->contentLayout()->addLayout(metricsGrid_);

    // The daemon takes the limit in steps of ten, so the slider offers only those.
    chargeCard_ = new ProtectionSliderCard(50, 100, 10, chargeMarks(), QStringLiteral("%"), this);
    chargeCard_->setSymbol(QStringLiteral("battery.75percent"));
    heatCard_ = new ProtectionSliderCard(30, 45, 1, heatMarks(), QStringLiteral("°C"), this);
    heatCard_->setSymbol(QStringLiteral("thermometer.medium"));

    chargeChartCard_ = new Card(this);
    chargeChartCard_->setSymbol(QStringLiteral("clock.arrow.circlepath"));
    chargeChart_ = new BatteryChargeChart(chargeChartCard_);
    chargeChartCard_->contentLayout()->addWidget(chargeChart_, 1);
    temperatureCard_ = new Card(this);
    temperatureCard_->setSymbol(QStringLiteral("thermometer.medium"));
    temperatureChart_ = new HistoryChart(temperatureCard_);
    temperatureChart_->setToken(DSToken::orange);
    temperatureChart_->setMinimumSpan(4);
    temperatureChart_->setDecimals(1);
    temperatureChart_->setUnit(QStringLiteral("°"));
    // A reading every minute at most, so one hour fills the width.
    temperatureChart_->setCapacity(60);
    temperatureCard_->contentLayout()->addWidget(temperatureChart_, 1);
    temperatureNow_ = new TokenLabel(QString(), DSToken::orange, 13, QFont::DemiBold, temperatureCard_);
    temperatureCard_->setTrailingWidget(temperatureNow_);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(14);
    grid->setVerticalSpacing(14);
    arrange(1000);

    connect(&model_, &PowerPageModel::chargeLimitChanged, this,
            [this] { chargeCard_->showValue(model_.chargeLimit()); });
    connect(&model_, &PowerPageModel::heatMaxTempChanged, this, [this] { heatCard_->showValue(model_.heatMaxTemp()); });
    connect(chargeCard_, &ProtectionSliderCard::moved, this, [this](int v) { model_.setChargeLimit(v); });
    connect(chargeCard_, &ProtectionSliderCard::committed, this, &PowerContractPanel::setChargeLimitAndApply);
    connect(heatCard_, &ProtectionSliderCard::moved, this, [this](int v) {
        model_.setHeatMaxTemp(v);
        model_.scheduleBatteryConfigApply(QStringLiteral("heat-max-temp-slider"), false);
    });
    for (auto signal : {&PowerPageModel::batteryGateValueChanged, &PowerPageModel::powerStateValueChanged,
                        &PowerPageModel::alertValueChanged, &PowerPageModel::safetyDrainStatusChanged})
        connect(&model_, signal, this, &PowerContractPanel::showReadback);
    connect(&model_, &PowerPageModel::chargeLimitChanged, this, &PowerContractPanel::showTelemetry);
    connect(&telemetry_, &PowerTelemetryFeed::changed, this, &PowerContractPanel::showTelemetry);

    chargeCard_->showValue(model_.chargeLimit());
    heatCard_->showValue(model_.heatMaxTemp());
    retranslate();
}

void PowerContractPanel::arrangeSummary()
{
    MetricView* const figures[] = {battery_, gate_, powerState_, drain_, alert_};
    std::vector<MetricView*> shown;
    for (MetricView* m : figures)
        if (m != alert_ || showsAlertStatus_)
            shown.push_back(m);
    // The card's own padding is 16 on each side.
    const int room = availableWidth_ - 32;
    auto fits = [&](int columns) {
        int needed = (columns - 1) * metricsGrid_->horizontalSpacing();
        for (int c = 0; c < columns; ++c) {
            int widest = 0;
            for (size_t i = c; i < shown.size(); i += columns)
                widest = std::max(widest, shown[i]->minimumSizeHint().width());
            needed += widest;
        }
        return needed <= room;
    };
    int columns = static_cast<int>(shown.size());
    while (columns > 2 && !fits(columns))
        --columns;
    // Five figures in rows of four would leave one alone: three and two look settled.
    if (columns == 4 && shown.size() == 5)
        columns = 3;
    if (columns == summaryColumns_)
        return;
    summaryColumns_ = columns;
    for (MetricView* m : figures)
        metricsGrid_->removeWidget(m);
    for (int c = 0; c < 5; ++c)
        metricsGrid_->setColumnStretch(c, c < columns ? 1 : 0);
    for (size_t i = 0; i < shown.size(); ++i)
        metricsGrid_->addWidget(shown[i], static_cast<int>(i) / columns, static_cast<int>(i) % columns, Qt::AlignTop);
}

void PowerContractPanel::arrange(int availableWidth)
{
    availableWidth_ = availableWidth;
    arrangeSummary();
    const bool two = availableWidth >= 700;
    if (arranged_ && two == twoColumns_)
        return;
    arranged_ = true;
    twoColumns_ = two;
    auto* grid = static_cast<QGridLayout*>(layout());
    for (QWidget* w :
         std::initializer_list<QWidget*>{summary_, chargeCard_, heatCard_, chargeChartCard_, temperatureCard_})
        grid->removeWidget(w);
    grid->addWidget(summary_, 0, 0, 1, two ? 2 : 1);
    if (two) {
        grid->addWidget(chargeCard_, 1, 0);
        grid->addWidget(heatCard_, 1, 1);
        grid->addWidget(chargeChartCard_, 2, 0);
        grid->addWidget(temperatureCard_, 2, 1);
        grid->setColumnStretch(0, 1);
        grid->setColumnStretch(1, 1);
    } else {
        grid->addWidget(chargeCard_, 1, 0);
        grid->addWidget(heatCard_, 2, 0);
        grid->addWidget(chargeChartCard_, 3, 0);
        grid->addWidget(temperatureCard_, 4, 0);
        grid->setColumnStretch(0, 1);
        grid->setColumnStretch(1, 0);
    }
}

void PowerContractPanel::setChargeLimitAndApply(int limit)
{
    model_.setChargeLimit(limit);
    model_.applyChargeLimitImmediately(QStringLiteral("charge-limit-slider"));
}

QString PowerContractPanel::currentTemperatureText() const { return temperatureNow_->text(); }

void PowerContractPanel::setShowsAlertStatus(bool shows)
{
    showsAlertStatus_ = shows;
    alert_->setVisible(shows);
    summaryColumns_ = 0;
    arrangeSummary();
}

void PowerContractPanel::setControlsEnabled(bool enabled)
{
    chargeCard_->slider()->setEnabled(enabled);
    heatCard_->slider()->setEnabled(enabled);
}

void PowerContractPanel::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    telemetry_.start();
}

void PowerContractPanel::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    telemetry_.stop();
}

void PowerContractPanel::retranslate()
{
    const QString lang = L10n::currentLanguage();
    summary_->setTitle(L10n::tr("power.panel.title", lang));
    battery_->setCaption(L10n::tr("battery_status", lang));
    gate_->setCaption(L10n::tr("power.panel.battery", lang));
    powerState_->setCaption(L10n::tr("power.panel.power_state", lang));
    drain_->setCaption(L10n::tr("force_discharge_mode", lang));
    alert_->setCaption(L10n::tr("feature.power.cloud_alerts", lang));
    chargeCard_->setTexts(L10n::tr("charge_limit", lang), L10n::tr("charge_limit_sub", lang));
    heatCard_->setTexts(L10n::tr("heat_protection", lang), L10n::tr("heat_protection_sub", lang));
    chargeChartCard_->setTitle(L10n::tr("power.chart.charge_title", lang));
    chargeChart_->setAxisTexts(L10n::tr("power.chart.hours_ago_12", lang), L10n::tr("power.chart.now", lang));
    temperatureCard_->setTitle(L10n::tr("power.chart.temperature_title", lang));
    temperatureChart_->setEmptyText(L10n::tr("power.chart.temperature_waiting", lang));
    showReadback();
    showTelemetry();
}

void PowerContractPanel::showReadback()
{
    const QString lang = L10n::currentLanguage();
    const QString gate = model_.batteryGateValue();
    gate_->setValue(batteryGateText(gate, lang),
                    gate == QStringLiteral("has_battery")      ? DSToken::green
                        : gate == QStringLiteral("no_battery") ? DSToken::orange
                                                               : DSToken::textTer);
    powerState_->setValue(powerStateText(model_.powerStateValue(), lang),
                          model_.powerStateValue().isEmpty() ? DSToken::textTer : DSToken::textPri);
    drain_->setValue(safetyDrainStateText(model_.safetyDrainState(), model_.safetyDrainCountdown(), lang),
                     safetyDrainStateToken(model_.safetyDrainState()));
    drain_->setDetail(
        L10n::format("power.panel.drain_target", safetyDrainTargetText(model_.safetyDrainTargetLabel(), lang), lang));
    alert_->setValue(model_.alertValue().isEmpty() ? QStringLiteral("-") : model_.alertValue(),
                     model_.isOn(PowerPageModel::cloudAlertFeature) ? DSToken::green : DSToken::textSec);
    // Longer texts may no longer fit one row, or shorter ones may again.
    summaryColumns_ = 0;
    arrangeSummary();
}

void PowerContractPanel::showTelemetry()
{
    const QString lang = L10n::currentLanguage();
    const auto battery = telemetry_.battery();
    BatteryHourlyBarsGeometry geometry;
    geometry.records = telemetry_.records();
    geometry.targetLimit = model_.normalizedChargeLimit();
    geometry.hasPersistentLog = telemetry_.hasPersistentLog();
    if (battery) {
        geometry.currentPercent = battery->batteryPercent;
        geometry.isCharging = battery->isCharging;
        battery_->setValue(QString::number(battery->batteryPercent) + QLatin1Char('%'),
                           batteryToken(battery->batteryPercent));
        battery_->setDetail(battery->isCharging ? L10n::tr("dashboard.battery_activity.charging", lang)
                                : battery->powerSourceState == QStringLiteral("AC Power")
                                ? L10n::tr("dashboard.battery_activity.ac_power", lang)
                                : L10n::tr("dashboard.battery_activity.on_battery", lang));
    } else {
        battery_->setValue(QStringLiteral("-"), DSToken::textTer);
        battery_->setDetail(QString());
    }
    temperatureNow_->setText(battery && battery->temperature ? QString::asprintf("%.1f°C", *battery->temperature)
                                                             : QString());
    const QDateTime now = telemetry_.now();
    chargeChart_->setGeometryModel(std::move(geometry), now);

    const auto temperatures = PowerTelemetryFeed::temperatureSeries(telemetry_.records(), now);
    temperatureChart_->setCapacity(std::max<int>(60, static_cast<int>(temperatures.size())));
    temperatureChart_->setSamples(temperatures);
}

} // namespace vantrel
