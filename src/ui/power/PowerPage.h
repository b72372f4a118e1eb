#pragma once
// The power page: the battery policy's switches and sliders, what the daemon does with
// them, the battery charts, heat alerts, and the safety-drain, cloud-alert and power-only
// usage sheets. The page's state lives in PowerPageModel; the page only shows it and calls
// its operations.
#include <memory>
#include <optional>

#include <QPointer>
#include <QWidget>

#include "power/HeatProtectionAlertPayload.h"
#include "ui/shell/UiContext.h"

class QScrollArea;

namespace vantrel {

class AlertBanner;
class Badge;
class BatteryPolicyState;
class OnlyPowerEnergyModal;
class OnlyPowerUsageBanner;
class PowerAlertSettingsModal;
class PowerContractPanel;
class PowerFeatureList;
class PowerPageModel;
class PowerTelemetryFeed;
class SafetyDrainTargetModal;
class StatusLine;
class TokenLabel;

class PowerPage final : public QWidget {
    Q_OBJECT
public:
    PowerPage(const UiContext& context, PageNavigator navigate, QWidget* parent = nullptr);
    ~PowerPage() override;

    PowerPageModel& model() const { return *model_; }
    PowerTelemetryFeed& telemetry() const { return *telemetry_; }
    PowerContractPanel* panel() const { return panel_; }
    PowerFeatureList* features() const { return features_; }
    AlertBanner* alertBanner() const { return alert_; }
    OnlyPowerUsageBanner* usageBanner() const { return usage_; }
    // Says that the firmware ignores the charge limit; hidden while the limit holds.
    StatusLine* chargeLimitWarning() const { return limitWarning_; }
    bool batteryControlsAvailable() const;

    // Open a sheet over the window (not blocking) and return it.
    SafetyDrainTargetModal* openSafetyDrainTargetPicker();
    PowerAlertSettingsModal* openPowerAlertSettings();
    OnlyPowerEnergyModal* openOnlyPowerUsage();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildLayout();
    void retranslate();
    void refreshControlsEnabled();
    void showHeatAlert();
    void refreshChargeLimitWarning();
    void onReadback(const QJsonObject& power);

    UiContext context_;
    PageNavigator navigate_;
    std::unique_ptr<BatteryPolicyState> ownPolicy_;
    std::unique_ptr<PowerPageModel> model_;
    std::unique_ptr<PowerTelemetryFeed> telemetry_;
    std::optional<HeatProtectionAlertPayload> heatAlert_;

    QScrollArea* scroll_ = nullptr;
    TokenLabel* title_ = nullptr;
    TokenLabel* subtitle_ = nullptr;
    Badge* batteryBadge_ = nullptr;
    AlertBanner* alert_ = nullptr;
    StatusLine* limitWarning_ = nullptr;
    OnlyPowerUsageBanner* usage_ = nullptr;
    PowerContractPanel* panel_ = nullptr;
    PowerFeatureList* features_ = nullptr;
    QPointer<OnlyPowerEnergyModal> energyModal_;
};

} // namespace vantrel
