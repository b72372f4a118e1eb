#include "ui/power/PowerPage.h"

#include <QDateTime>
#include <QHBoxLayout>
#include <QScrollArea>
#include <QStyle>
#include <QVBoxLayout>

#include "base/Dispatch.h"
#include "l10n/L10n.h"
#include "l10n/L10nNotifier.h"
#include "power/BatteryPolicyState.h"
#include "power/HeatProtectionAlertCenter.h"
#include "power/OnlyPowerEnergyStore.h"
#include "power/PowerPageModel.h"
#include "power/PowerSourceMonitor.h"
#include "sensors/HardwareCapabilityStore.h"
#include "ui/power/OnlyPowerEnergyModal.h"
#include "ui/power/OnlyPowerUsageBanner.h"
#include "ui/power/PowerAlertSettingsModal.h"
#include "ui/power/PowerContractPanel.h"
#include "ui/power/PowerFeatureList.h"
#include "ui/power/PowerTelemetryFeed.h"
#include "ui/power/SafetyDrainTargetModal.h"
#include "ui/widgets/AlertBanner.h"
#include "ui/widgets/Badge.h"
#include "ui/widgets/ScrollingPage.h"
#include "ui/widgets/StatusLine.h"
#include "ui/widgets/TokenLabel.h"

namespace vantrel {

namespace {

constexpr int sideMargin = 28;

} // namespace

PowerPage::PowerPage(const UiContext& context, PageNavigator navigate, QWidget* parent)
    : QWidget(parent)
    , context_(context)
    , navigate_(std::move(navigate))
{
    BatteryPolicyState* policy = context_.batteryPolicy;
    if (!policy) {
        ownPolicy_ = std::make_unique<BatteryPolicyState>(*context_.preferences);
        policy = ownPolicy_.get();
    }
    // With the capability store the profile decides; without it (pictures of the page) the
    // daemon's readback does.
    model_ = std::make_unique<PowerPageModel>(*policy, *context_.daemon, *context_.dispatch, [this] {
        if (HardwareCapabilityStore* store = context_.capabilities)
            return store->isLoaded() && store->profile().hasBattery;
        return model_ && model_->batteryGateValue() == QStringLiteral("has_battery");
    });
    std::function<PowerSourceInfo()> readBattery;
    if (auto sources = context_.powerSources)
        readBattery = [sources] {
            PowerSourceInfo info = sources->readChargeSnapshot();
            info.temperature = sources->batteryTemperature();
            return info;
        };
    telemetry_
        = std::make_unique<PowerTelemetryFeed>(*context_.dispatch, context_.batteryTelemetry, std::move(readBattery));

    buildLayout();
    connect(model_.get(), &PowerPageModel::readbackReceived, this, &PowerPage::onReadback);
    connect(model_.get(), &PowerPageModel::batteryGateValueChanged, this, &PowerPage::refreshControlsEnabled);
    connect(model_.get(), &PowerPageModel::chargeLimitEffectChanged, this, &PowerPage::refreshChargeLimitWarning);
    if (context_.capabilities)
        connect(context_.capabilities, &HardwareCapabilityStore::profileChanged, this,
                &PowerPage::refreshControlsEnabled);
    connect(alert_, &AlertBanner::dismissed, this, [this] { heatAlert_.reset(); });
    connect(&L10n::notifier(), &L10nNotifier::currentLanguageChanged, this, &PowerPage::retranslate);

    model_->primePowerControlsFromStoredSettings();
    model_->syncPowerReadback();
    retranslate();
    refreshControlsEnabled();
}

PowerPage::~PowerPage()
{
    // The panels stop the telemetry feed when they are hidden, and QWidget hides its children
    // only after this class's members are gone: delete the children while the feed still exists.
    qDeleteAll(findChildren<QWidget*>(Qt::FindDirectChildrenOnly));
}

void PowerPage::buildLayout()
{
    const ScrollingPage scrolling(this);
    scroll_ = scrolling.area();
    QWidget* content = scrolling.content();
    QVBoxLayout* page = scrolling.column({sideMargin, 24, sideMargin, 28}, 14);

    auto* header = new QHBoxLayout;
    auto* titles = new QVBoxLayout;
    titles->setSpacing(2);
    title_ = new TokenLabel(QString(), DSToken::textPri, 24, QFont::Bold, content);
    subtitle_ = new TokenLabel(QString(), DSToken::textSec, 13, QFont::Normal, content);
    title_->setElideMode(Qt::ElideRight);
    subtitle_->setWordWrap(true);
    titles->addWidget(title_);
    titles->addWidget(subtitle_);
    header->addLayout(titles, 1);
    batteryBadge_ = new Badge(content);
    batteryBadge_->hide();
    header->addWidget(batteryBadge_, 0, Qt::AlignTop);
    page->addLayout(header);

    alert_ = new AlertBanner(content);
    page->addWidget(alert_);
    limitWarning_ = new StatusLine(content);
    limitWarning_->setObjectName(QStringLiteral("power-charge-limit-warning"));
    page->addWidget(limitWarning_);
    usage_ = new OnlyPowerUsageBanner(content);
    page->addWidget(usage_);
    connect(usage_, &OnlyPowerUsageBanner::openRequested, this, [this] { openOnlyPowerUsage(); });

    panel_ = new PowerContractPanel(*model_, *telemetry_, content);
    page->addWidget(panel_);
    features_ = new PowerFeatureList(*model_, content);
    page->addWidget(features_);
    page->addStretch(1);
    connect(features_, &PowerFeatureList::drainTargetRequested, this, [this] { openSafetyDrainTargetPicker(); });
    connect(features_, &PowerFeatureList::alertSettingsRequested, this, [this] { openPowerAlertSettings(); });
}

bool PowerPage::batteryControlsAvailable() const { return model_->batteryControlsAvailable(); }

void PowerPage::refreshControlsEnabled()
{
    const bool available = model_->batteryControlsAvailable();
    panel_->setControlsEnabled(available);
    features_->setControlsEnabled(available);
    const QString lang = L10n::currentLanguage();
    if (model_->batteryGateValue().isEmpty() && !context_.capabilities) {
        batteryBadge_->hide();
    } else if (available) {
        batteryBadge_->setBadge(L10n::tr("has_battery", lang), DSToken::green);
        batteryBadge_->show();
    } else {
        batteryBadge_->setBadge(L10n::tr("power.page.no_battery_controls", lang), DSToken::orange);
        batteryBadge_->show();
    }
}

void PowerPage::onReadback(const QJsonObject& power)
{
    if (!context_.heatAlerts)
        return;
    if (auto alert = context_.heatAlerts->alert(HeatProtectionAlertSurface::power, power)) {
        heatAlert_ = *alert;
        showHeatAlert();
    }
}

void PowerPage::showHeatAlert()
{
    if (!heatAlert_)
        return;
    const QString lang = L10n::currentLanguage();
    alert_->showAlert(heatAlert_->titleText(lang), heatAlert_->messageText(lang));
}

void PowerPage::refreshChargeLimitWarning()
{
    if (!model_->chargeLimitIgnored()) {
        limitWarning_->clear();
        return;
    }
    limitWarning_->setStatus(L10n::format("power.charge_limit.ignored", QString::number(model_->ignoredChargeLimit())),
                             DSToken::orange);
}

void PowerPage::retranslate()
{
    const QString lang = L10n::currentLanguage();
    title_->setText(L10n::tr("dcs_power_battery", lang));
    subtitle_->setText(L10n::tr("power.page.subtitle", lang));
    usage_->retranslate();
    panel_->retranslate();
    features_->retranslate();
    showHeatAlert();
    refreshChargeLimitWarning();
    refreshControlsEnabled();
}

void PowerPage::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    model_->setSafetyDrainPolling(true);
}

void PowerPage::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    model_->setSafetyDrainPolling(false);
}

void PowerPage::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    panel_->arrange(width() - 2 * sideMargin - style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, scroll_));
}

SafetyDrainTargetModal* PowerPage::openSafetyDrainTargetPicker()
{
    // "Auto" follows the charge limit the page holds now.
    auto* modal = new SafetyDrainTargetModal(
        model_->normalizedChargeLimit(), model_->safetyDrainTargetPercent(),
        [model = model_.get()](std::optional<int> target) { model->selectSafetyDrainTarget(target); }, this);
    modal->setAttribute(Qt::WA_DeleteOnClose);
    modal->open();
    return modal;
}

PowerAlertSettingsModal* PowerPage::openPowerAlertSettings()
{
    PowerAlertSettings initial;
    initial.webhookURL = model_->webhookURL();
    initial.webhookUserID = model_->webhookUserID();
    initial.heartbeatInterval = model_->heartbeatInterval();
    initial.isEnabled = model_->isOn(PowerPageModel::cloudAlertFeature);
    auto* modal = new PowerAlertSettingsModal(
        initial,
        [model = model_.get()](const PowerAlertSettings& s) {
        model->setWebhookURL(s.webhookURL);
        model->setWebhookUserID(s.webhookUserID);
        model->setHeartbeatInterval(s.heartbeatInterval);
        if (s.isEnabled)
            model->savePowerAlertSettings();
        else
            model->handleFeatureToggle(PowerPageModel::cloudAlertFeature, false);
        },
        this);
    modal->setAttribute(Qt::WA_DeleteOnClose);
    modal->open();
    return modal;
}

OnlyPowerEnergyModal* PowerPage::openOnlyPowerUsage()
{
    if (energyModal_)
        return energyModal_;
    std::function<OnlyPowerEnergySnapshot()> load;
    if (auto store = context_.onlyPowerEnergy) {
        Dispatch* dispatch = context_.dispatch;
        load = [store, dispatch] { return store->load(dispatch->clock().now()); };
    }
    auto* modal = new OnlyPowerEnergyModal(*context_.dispatch, std::move(load), this);
    modal->setAttribute(Qt::WA_DeleteOnClose);
    modal->open();
    energyModal_ = modal;
    return modal;
}

} // namespace vantrel
