#pragma once
// The power page's summary: what the daemon reports (battery, power-only state, safety
// drain, alerts), the two protection sliders bound to the page's values, and the charge
// and temperature charts. Its battery history refreshes on appearing and every ten seconds.
#include <QWidget>

class QGridLayout;

namespace vantrel {

class BatteryChargeChart;
class Card;
class HistoryChart;
class MetricView;
class PowerPageModel;
class PowerTelemetryFeed;
class ProtectionSliderCard;
class TokenLabel;

class PowerContractPanel final : public QWidget {
    Q_OBJECT
public:
    PowerContractPanel(PowerPageModel& model, PowerTelemetryFeed& telemetry, QWidget* parent = nullptr);

    // Sets the page's charge limit to a whole percent and applies it at once.
    void setChargeLimitAndApply(int limit);
    void setShowsAlertStatus(bool shows);
    // Enables the sliders only when the battery controls are available.
    void setControlsEnabled(bool enabled);
    void retranslate();
    // Two columns of cards when wide enough, else one; the summary's figures in one row when
    // they fit, else in rows of three or two.
    void arrange(int availableWidth);
    bool isTwoColumns() const { return twoColumns_; }
    int summaryColumns() const { return summaryColumns_; }

    ProtectionSliderCard* chargeLimitCard() const { return chargeCard_; }
    ProtectionSliderCard* heatCard() const { return heatCard_; }
    BatteryChargeChart* chargeChart() const { return chargeChart_; }
    HistoryChart* temperatureChart() const { return temperatureChart_; }
    QString currentTemperatureText() const;
    MetricView* batteryMetric() const { return battery_; }
    MetricView* gateMetric() const { return gate_; }
    MetricView* powerStateMetric() const { return powerState_; }
    MetricView* drainMetric() const { return drain_; }
    MetricView* alertMetric() const { return alert_; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void showReadback();
    void showTelemetry();
    void arrangeSummary();

    PowerPageModel& model_;
    PowerTelemetryFeed& telemetry_;
    bool showsAlertStatus_ = true;
    bool twoColumns_ = true;
    bool arranged_ = false;
    int availableWidth_ = 1000;
    int summaryColumns_ = 0;

    Card* summary_ = nullptr;
    QGridLayout* metricsGrid_ = nullptr;
    MetricView* battery_ = nullptr;
    MetricView* gate_ = nullptr;
    MetricView* powerState_ = nullptr;
    MetricView* drain_ = nullptr;
    MetricView* alert_ = nullptr;
    ProtectionSliderCard* chargeCard_ = nullptr;
    ProtectionSliderCard* heatCard_ = nullptr;
    Card* chargeChartCard_ = nullptr;
    BatteryChargeChart* chargeChart_ = nullptr;
    Card* temperatureCard_ = nullptr;
    HistoryChart* temperatureChart_ = nullptr;
    TokenLabel* temperatureNow_ = nullptr;
};

} // namespace vantrel
