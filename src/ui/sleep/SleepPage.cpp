#include "ui/sleep/SleepPage.h"

#include <QLayoutItem>
#include <QVBoxLayout>

#include "l10n/L10n.h"
#include "l10n/L10nNotifier.h"
#include "power/BatteryHourlyBarsGeometry.h"
#include "power/PowerSourceMonitor.h"
#include "sleep/BatteryInterlock.h"
#include "ui/power/BatteryChargeChart.h"
#include "ui/power/PowerTelemetryFeed.h"
#include "ui/power/ProtectionSliderCard.h"
#include "ui/sleep/SleepControls.h"
#include "ui/sleep/SleepPageModel.h"
#include "ui/widgets/Card.h"
#include "ui/widgets/FeatureDetailModal.h"
#include "ui/widgets/FeatureRow.h"
#include "ui/widgets/ScrollingPage.h"
#include "ui/widgets/StatusLine.h"
#include "ui/widgets/TokenLabel.h"

namespace vantrel {

namespace {

constexpr int sideMargin = 28;

std::vector<MarkedSlider::Mark> cutoffMarks()
{
    std::vector<MarkedSlider::Mark> marks;
    for (int option : batteryInterlockOptions)
        marks.push_back({option, true, QString::number(option) + QLatin1Char('%')});
    return marks;
}

} // namespace

SleepPage::SleepPage(const UiContext& context, std::shared_ptr<SleepControls> controls, QWidget* parent)
    : QWidget(parent)
    , context_(context)
    , controls_(std::move(controls))
    , model_(std::make_unique<SleepPageModel>(*controls_))
{
    std::function<PowerSourceInfo()> readBattery;
    if (auto sources = context_.powerSources)
        readBattery = [sources] { return sources->readChargeSnapshot(); };
    telemetry_
        = std::make_unique<PowerTelemetryFeed>(*context_.dispatch, context_.batteryTelemetry, std::move(readBattery));

    buildLayout();
    connect(model_.get(), &SleepPageModel::visibleFeaturesChanged, this, &SleepPage::rebuildRows);
    connect(model_.get(), &SleepPageModel::toggleChanged, this, [this](int id, bool on) {
        if (FeatureRow* r = row(id))
            r->setOn(on);
    });
    connect(model_.get(), &SleepPageModel::busyChanged, this, [this](int id, bool busy) {
        if (FeatureRow* r = row(id))
            r->setBusy(busy);
    });
    connect(model_.get(), &SleepPageModel::featureActionStatusChanged, this, &SleepPage::showStatus);
    connect(model_.get(), &SleepPageModel::cutoffChanged, this, [this] {
        cutoff_->showValue(model_->sharedSleepBatteryCutoffPercent());
        showBattery();
    });
    connect(telemetry_.get(), &PowerTelemetryFeed::changed, this, &SleepPage::showBattery);
    connect(cutoff_, &ProtectionSliderCard::committed, this,
            [this](int value) { model_->applySharedSleepBatteryCutoff(value); });
    connect(&L10n::notifier(), &L10nNotifier::currentLanguageChanged, this, &SleepPage::retranslate);

    model_->syncFromManager();
    rebuildRows();
    retranslate();
    telemetry_->refresh();
}

SleepPage::~SleepPage() = default;

void SleepPage::buildLayout()
{
    const ScrollingPage scrolling(this);
    QWidget* content = scrolling.content();
    QVBoxLayout* page = scrolling.column({sideMargin, 24, sideMargin, 28}, 14);

    auto* titles = new QVBoxLayout;
    titles->setSpacing(2);
    title_ = new TokenLabel(QString(), DSToken::textPri, 24, QFont::Bold, content);
    title_->setElideMode(Qt::ElideRight);
    subtitle_ = new TokenLabel(QString(), DSToken::textSec, 13, QFont::Normal, content);
    subtitle_->setWordWrap(true);
    titles->addWidget(title_);
    titles->addWidget(subtitle_);
    page->addLayout(titles);

    features_ = new Card(content);
    features_->setSymbol(QStringLiteral("moon.zzz"));
    rowsHost_ = new QWidget(features_);
    auto* rowsLayout = new QVBoxLayout(rowsHost_);
    rowsLayout->setContentsMargins(0, 0, 0, 0);
    rowsLayout->setSpacing(6);
    features_->contentLayout()->addWidget(rowsHost_);
    status_ = new StatusLine(features_);
    features_->contentLayout()->addWidget(status_);
    page->addWidget(features_);

    batteryPanel_ = new Card(content);
    batteryPanel_->setSymbol(QStringLiteral("battery.75percent"));
    batteryNow_ = new TokenLabel(QString(), DSToken::textSec, 12, QFont::DemiBold, batteryPanel_);
    batteryPanel_->setTrailingWidget(batteryNow_);
    batterySubtitle_ = new TokenLabel(QString(), DSToken::textSec, 12, QFont::Normal, batteryPanel_);
    batterySubtitle_->setWordWrap(true);
    batteryPanel_->contentLayout()->addWidget(batterySubtitle_);
    chart_ = new BatteryChargeChart(batteryPanel_);
    batteryPanel_->contentLayout()->addWidget(chart_);
    const int first = batteryInterlockOptions.front();
    const int last = batteryInterlockOptions.back();
    cutoff_ = new ProtectionSliderCard(first, last, 10, cutoffMarks(), QStringLiteral("%"), batteryPanel_);
    cutoff_->setSymbol(QStringLiteral("power"));
    batteryPanel_->contentLayout()->addWidget(cutoff_);
    page->addWidget(batteryPanel_);
    page->addStretch(1);
}

FeatureRow* SleepPage::row(int id) const
{
    const auto it = rows_.find(id);
    return it == rows_.end() ? nullptr : it->second;
}

void SleepPage::rebuildRows()
{
    for (auto& [id, r] : rows_)
        delete r;
    rows_.clear();
    auto* layout = static_cast<QVBoxLayout*>(rowsHost_->layout());
    while (QLayoutItem* item = layout->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    for (const FeatureSpec& spec : model_->visibleFeatureSpecs()) {
        const int id = spec.id;
        auto* r = new FeatureRow(spec, rowsHost_);
        r->setConnectionLabel(SleepPageModel::connectionLabel(id));
        r->setRowDisabled(model_->isDisabledFeature(id));
        r->setDesktopClass(model_->isDesktopClass());
        r->setOn(model_->isOn(id));
        r->setBusy(model_->isBusy(id));
        connect(r, &FeatureRow::toggleRequested, this, [this, id](bool on) {
            model_->handleFeatureToggle(id, on);
            // The switch shows what the model holds now, a refusal included.
            if (FeatureRow* current = row(id))
                current->setOn(model_->isOn(id));
        });
        layout->addWidget(r);
        rows_[id] = r;
    }
}

FeatureDetailModal* SleepPage::openDetail(int id)
{
    for (const FeatureSpec& spec : SleepPageModel::makeSpecs())
        if (spec.id == id) {
            auto* modal = new FeatureDetailModal(spec, this);
            modal->setAttribute(Qt::WA_DeleteOnClose);
            modal->open();
            return modal;
        }
    return nullptr;
}

void SleepPage::retranslate()
{
    const QString lang = L10n::currentLanguage();
    title_->setText(L10n::tr(QStringLiteral("dcs_sleep"), lang));
    subtitle_->setText(L10n::tr(QStringLiteral("sleep.page.subtitle"), lang));
    features_->setTitle(L10n::tr(QStringLiteral("sleep.features.title"), lang));
    for (auto& [id, r] : rows_)
        r->retranslate();
    batteryPanel_->setTitle(L10n::tr(QStringLiteral("sleep.battery_panel.title"), lang));
    batterySubtitle_->setText(L10n::tr(QStringLiteral("sleep.battery_panel.subtitle"), lang));
    chart_->setAxisTexts(L10n::tr(QStringLiteral("power.chart.hours_ago_12"), lang),
                         L10n::tr(QStringLiteral("power.chart.now"), lang));
    cutoff_->setTexts(L10n::tr(QStringLiteral("sleep.battery_cutoff_slider.title"), lang),
                      L10n::tr(QStringLiteral("sleep.battery_cutoff_slider.subtitle"), lang));
    showStatus();
    showBattery();
}

void SleepPage::showStatus()
{
    const QString text = model_->featureActionStatus(L10n::currentLanguage());
    if (text.isEmpty()) {
        status_->clear();
        return;
    }
    const bool pending = model_->featureActionStatusKey() == QStringLiteral("sleep.status.apply_pending");
    status_->setStatus(text, model_->featureActionFailed() ? DSToken::red : pending ? DSToken::blue : DSToken::green);
}

void SleepPage::showBattery()
{
    BatteryHourlyBarsGeometry geometry;
    geometry.records = telemetry_->records();
    const auto battery = telemetry_->battery();
    geometry.currentPercent = battery ? battery->batteryPercent : 0;
    geometry.isCharging = battery && battery->isCharging;
    geometry.targetLimit = model_->sharedSleepBatteryCutoffPercent();
    geometry.hasPersistentLog = !geometry.records.empty();
    chart_->setGeometryModel(std::move(geometry), telemetry_->now());
    if (battery && battery->powerSourceState)
        batteryNow_->setText(QString::number(battery->batteryPercent) + QLatin1Char('%'));
    else
        batteryNow_->setText(QString());
}

void SleepPage::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    model_->syncFromManager();
    telemetry_->start();
}

void SleepPage::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    telemetry_->stop();
}

} // namespace vantrel
