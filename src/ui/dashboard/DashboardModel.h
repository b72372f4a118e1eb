#pragma once
// The dashboard's state and behaviour, without widgets: the 2-second refresh while the
// page is shown (one collection in flight at most, the previous values as seed), the
// 24-sample histories, the status line, the event timeline and the local event list, and
// the return to the macOS defaults.
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <QObject>

#include "base/CoalescingGenerationState.h"
#include "base/Dispatch.h"
#include "power/HeatProtectionAlertPayload.h"
#include "ui/dashboard/DashboardRefreshResult.h"
#include "ui/dashboard/EvidenceTimeline.h"

namespace vantrel {

class DashboardCollector;
class HeatProtectionAlertCenter;

class DashboardModel final : public QObject {
    Q_OBJECT
public:
    static constexpr int historyCapacity = 24;
    static constexpr int eventCapacity = 8;
    static constexpr Duration refreshInterval = Duration(2000);
    // The timeline is read on every shown refresh and then on every fifteenth tick (30 s):
    // its command is not a quiet read-back, so each exchange is logged.
    static constexpr int timelineEveryTicks = 15;

    DashboardModel(Dispatch& dispatch, std::shared_ptr<DashboardCollector> collector, QObject* parent = nullptr);
    ~DashboardModel() override;

    // Fills the application's side of each seed (its sleep prevention, the SMC's SSD reading).
    void setSeedSource(std::function<void(DashboardRefreshSeed&)> source) { seedSource_ = std::move(source); }
    void setHeatAlertCenter(HeatProtectionAlertCenter* center) { heatAlerts_ = center; }

    // Shown: refresh at once and then every two seconds, silently. Hidden: stop the timer.
    void setShown(bool shown);
    bool isShown() const { return timer_ != nullptr; }
    // Starts a collection unless one is in flight. A silent refresh leaves the status line
    // alone unless the daemon's reachability changed.
    void refresh(bool silent);
    bool isRefreshing() const { return !refreshState_.isReady(); }

    // Sends "reset_to_vanilla" (ask the user first) and reports the outcome.
    void performSafetyReset();
    bool isResetting() const { return resetting_; }

    const DashboardRefreshResult& current() const { return current_; }
    const std::deque<double>& cpuHistory() const { return cpuHistory_; }
    const std::deque<double>& fanHistory() const { return fanHistory_; }
    // Nothing while the timeline has never been read.
    const std::optional<std::vector<dashboard::EvidenceEntry>>& timeline() const { return timeline_; }
    // The status line as a localisation key with its colour, and an optional detail key.
    std::optional<QString> statusKey() const { return current_.actionStatus; }
    std::optional<StatusTone> statusTone() const { return current_.actionTone; }
    std::optional<QString> statusDetailKey() const { return statusDetail_; }
    bool hasRefreshed() const { return refreshCount_ > 0; }
    // Refreshes applied since the model was made.
    int refreshCount() const { return refreshCount_; }

    // Adds an event to the top of the list, keeping the newest eight.
    void pushEvent(DashboardEvent event);

Q_SIGNALS:
    void changed();
    void statusChanged();
    void timelineChanged();
    void heatAlert(const vantrel::HeatProtectionAlertPayload& alert);

private:
    void apply(std::uint64_t generation, DashboardRefreshResult result,
               std::optional<std::optional<std::vector<dashboard::EvidenceEntry>>> timeline, bool silent);
    void applyResetOutcome(bool ok);
    void setStatus(const QString& key, StatusTone tone, std::optional<QString> detail = std::nullopt);
    static void pushSample(std::deque<double>& history, double value);

    Dispatch& dispatch_;
    std::shared_ptr<DashboardCollector> collector_;
    std::function<void(DashboardRefreshSeed&)> seedSource_;
    HeatProtectionAlertCenter* heatAlerts_ = nullptr;
    CancelToken timer_;
    CoalescingGenerationState refreshState_;
    DashboardRefreshResult current_;
    std::deque<double> cpuHistory_;
    std::deque<double> fanHistory_;
    std::optional<std::vector<dashboard::EvidenceEntry>> timeline_;
    std::optional<QString> statusDetail_;
    int ticksSinceTimeline_ = 0;
    int refreshCount_ = 0;
    bool resetting_ = false;
    // A reset ended while a collection was in flight; that one read the state from before the
    // reset, so another follows as soon as it is applied.
    bool readBackAfterCurrent_ = false;
};

} // namespace vantrel
