#pragma once
// The dashboard page: the cards, charts, timeline and reset action over DashboardModel.
// Refreshes every two seconds while shown; its cards open detail sheets or other pages.
#include <memory>
#include <optional>

#include <QWidget>

#include "power/HeatProtectionAlertPayload.h"
#include "ui/dashboard/PressureDetailContent.h"
#include "ui/shell/UiContext.h"

class QGridLayout;
class QPushButton;
class QScrollArea;

namespace vantrel {

class AlertBanner;
class Badge;
class DashboardModel;
class DetailSheet;
class EventListView;
class HistoryCard;
class PolicyCard;
class StatusLine;
class SummaryCard;
class TokenLabel;
class Card;

class DashboardPage final : public QWidget {
    Q_OBJECT
public:
    DashboardPage(const UiContext& context, PageNavigator navigate, QWidget* parent = nullptr);
    ~DashboardPage() override;

    DashboardModel& model() const { return *model_; }

    // Asks for confirmation, then returns the computer to the macOS defaults.
    void requestSafetyReset();
    // Opens a sheet over the window (not blocking) and returns it.
    DetailSheet* openPressureDetail(PressureDetail subject);
    DetailSheet* openSensorSheet();

    // For tests and screenshots.
    StatusLine* statusLine() const { return status_; }
    QPushButton* resetButton() const { return resetButton_; }
    SummaryCard* cpuCard() const { return cpuCard_; }
    SummaryCard* memoryCard() const { return memoryCard_; }
    SummaryCard* storageCard() const { return storageCard_; }
    SummaryCard* fanCard() const { return fanCard_; }
    SummaryCard* batteryCard() const { return batteryCard_; }
    PolicyCard* policyCard() const { return policyCard_; }
    HistoryCard* cpuHistoryCard() const { return cpuHistory_; }
    HistoryCard* fanHistoryCard() const { return fanHistory_; }
    EventListView* timelineView() const { return timeline_; }
    EventListView* eventsView() const { return events_; }
    AlertBanner* alertBanner() const { return alert_; }
    Badge* connectionBadge() const { return connection_; }
    // The four summary cards stand in one row when they fit, else in two rows of two.
    bool summaryInOneRow() const { return summaryInOneRow_; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildLayout();
    void arrangeCards();
    void retranslate();
    void refreshView();
    void showHeader(const DashboardRefreshResult& result, const QString& lang);
    void showActivity(const DashboardRefreshResult& result, const QString& lang);
    void showFans(const DashboardRefreshResult& result, const QString& lang);
    void showBattery(const DashboardRefreshResult& result, const QString& lang);
    void refreshStatus();
    void refreshTimeline();
    void refreshEvents();
    // Shows the alert's title and message in the current language (again after a change of language).
    void showHeatAlert();

    UiContext context_;
    PageNavigator navigate_;
    std::unique_ptr<DashboardModel> model_;

    QScrollArea* scroll_ = nullptr;
    QGridLayout* grid_ = nullptr;
    bool summaryInOneRow_ = true;
    bool arranged_ = false;

    TokenLabel* title_ = nullptr;
    TokenLabel* subtitle_ = nullptr;
    Badge* connection_ = nullptr;
    TokenLabel* updated_ = nullptr;
    QPushButton* sensorsButton_ = nullptr;
    AlertBanner* alert_ = nullptr;
    std::optional<HeatProtectionAlertPayload> heatAlert_; // the alert on the banner, until dismissed
    StatusLine* status_ = nullptr;
    SummaryCard* cpuCard_ = nullptr;
    SummaryCard* memoryCard_ = nullptr;
    SummaryCard* storageCard_ = nullptr;
    SummaryCard* fanCard_ = nullptr;
    SummaryCard* batteryCard_ = nullptr;
    PolicyCard* policyCard_ = nullptr;
    HistoryCard* cpuHistory_ = nullptr;
    HistoryCard* fanHistory_ = nullptr;
    Card* timelineCard_ = nullptr;
    EventListView* timeline_ = nullptr;
    Card* eventsCard_ = nullptr;
    EventListView* events_ = nullptr;
    Card* resetCard_ = nullptr;
    TokenLabel* resetText_ = nullptr;
    QPushButton* resetButton_ = nullptr;
};

} // namespace vantrel
