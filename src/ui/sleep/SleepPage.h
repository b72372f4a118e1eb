#pragma once
// The sleep page: the sleep features as rows with their switches and explanations, the status
// of the last action, and the battery overview with the charge chart and the shared battery
// cut-off. SleepPageModel holds the state; the page shows it and hands it the user's clicks.
#include <map>
#include <memory>

#include <QWidget>

#include "ui/shell/UiContext.h"

namespace vantrel {

class BatteryChargeChart;
class Card;
class FeatureDetailModal;
class FeatureRow;
class PowerTelemetryFeed;
class ProtectionSliderCard;
class SleepControls;
class SleepPageModel;
class StatusLine;
class TokenLabel;

class SleepPage final : public QWidget {
    Q_OBJECT
public:
    SleepPage(const UiContext& context, std::shared_ptr<SleepControls> controls, QWidget* parent = nullptr);
    ~SleepPage() override;

    SleepPageModel& model() const { return *model_; }
    PowerTelemetryFeed& telemetry() const { return *telemetry_; }
    // The row of a visible feature; null for a hidden one.
    FeatureRow* row(int id) const;
    StatusLine* statusLine() const { return status_; }
    ProtectionSliderCard* cutoffCard() const { return cutoff_; }
    BatteryChargeChart* chargeChart() const { return chart_; }
    // Opens the explanation sheet of a feature in the catalogue (also of a hidden one).
    FeatureDetailModal* openDetail(int id);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void buildLayout();
    void rebuildRows();
    void retranslate();
    void showStatus();
    void showBattery();

    UiContext context_;
    std::shared_ptr<SleepControls> controls_;
    std::unique_ptr<SleepPageModel> model_;
    std::unique_ptr<PowerTelemetryFeed> telemetry_;
    std::map<int, FeatureRow*> rows_;

    TokenLabel* title_ = nullptr;
    TokenLabel* subtitle_ = nullptr;
    Card* features_ = nullptr;
    QWidget* rowsHost_ = nullptr;
    StatusLine* status_ = nullptr;
    Card* batteryPanel_ = nullptr;
    TokenLabel* batterySubtitle_ = nullptr;
    TokenLabel* batteryNow_ = nullptr;
    BatteryChargeChart* chart_ = nullptr;
    ProtectionSliderCard* cutoff_ = nullptr;
};

} // namespace vantrel
