#include "ui/dashboard/DashboardModel.h"

#include <algorithm>

#include <QPointer>

#include "l10n/L10n.h"
#include "power/HeatProtectionAlertCenter.h"
#include "ui/dashboard/DashboardCollector.h"

namespace vantrel {

namespace {

QString connectionFailedKey() { return L10n::key("dashboard.daemon.connection_failed"); }

} // namespace

DashboardModel::DashboardModel(Dispatch& dispatch, std::shared_ptr<DashboardCollector> collector, QObject* parent)
    : QObject(parent)
    , dispatch_(dispatch)
    , collector_(std::move(collector))
{ }

DashboardModel::~DashboardModel()
{
    if (timer_)
        timer_->cancel();
}

void DashboardModel::setShown(bool shown)
{
    if (shown == isShown())
        return;
    if (!shown) {
        timer_->cancel();
        timer_.reset();
        return;
    }
    refresh(false);
    timer_ = dispatch_.every(dispatch_.main(), refreshInterval, Duration(100),
                             weakly(this, [](DashboardModel* self) { self->refresh(true); }));
}

void DashboardModel::refresh(bool silent)
{
    const auto generation = refreshState_.begin();
    if (!generation)
        return;
    DashboardRefreshSeed seed(current_);
    if (seedSource_)
        seedSource_(seed);
    const QString macosDefault = L10n::tr("dashboard.driver.macos_default");
    const bool withTimeline = !silent || ++ticksSinceTimeline_ >= timelineEveryTicks;
    if (withTimeline)
        ticksSinceTimeline_ = 0;
    const QDateTime now = dispatch_.clock().now();
    Dispatch* dispatch = &dispatch_;
    QPointer<DashboardModel> guard(this);
    dispatch_.global(QoS::Utility)->async([=, collector = collector_] {
        DashboardRefreshResult result = collector->collect(seed, macosDefault, now);
        std::optional<std::optional<std::vector<dashboard::EvidenceEntry>>> timeline;
        if (withTimeline)
            timeline = collector->readTimeline();
        dispatch->main()->async([=, result = std::move(result), timeline = std::move(timeline)]() mutable {
            if (DashboardModel* self = guard.data())
                self->apply(*generation, std::move(result), std::move(timeline), silent);
        });
    });
}

void DashboardModel::apply(std::uint64_t generation, DashboardRefreshResult result,
                           std::optional<std::optional<std::vector<dashboard::EvidenceEntry>>> timeline, bool silent)
{
    if (!refreshState_.accept(generation))
        return;
    ++refreshCount_;
    // The status line and the event list belong to the main thread; an action may have
    // changed them while the collection ran.
    result.events = current_.events;
    result.actionStatus = current_.actionStatus;
    result.actionTone = current_.actionTone;
    const bool wasFailing = current_.actionStatus == connectionFailedKey();
    current_ = std::move(result);

    // Until a temperature has been read there is nothing to chart.
    if (current_.cpuText != QStringLiteral("-")) {
        pushSample(cpuHistory_, current_.cpuValue);
        pushSample(fanHistory_, std::max(current_.fan0RPM, current_.fan1RPM));
    }

    if (!current_.daemonReachable) {
        if (!wasFailing || !silent)
            setStatus(connectionFailedKey(), StatusTone::Failure, L10n::key("/tmp/vantrel_daemon.sock 응답 없음"));
    } else if (!silent || wasFailing) {
        setStatus(L10n::key("대시보드 readback 완료. 실제 daemon 값으로 그래프와 관제 카드가 갱신되었습니다."),
                  StatusTone::Success);
    }

    if (timeline && *timeline) {
        timeline_ = std::move(**timeline);
        Q_EMIT timelineChanged();
    }
    Q_EMIT changed();

    if (heatAlerts_ && current_.powerReadback)
        if (auto alert = heatAlerts_->alert(HeatProtectionAlertSurface::dashboard, *current_.powerReadback))
            Q_EMIT heatAlert(*alert);

    if (readBackAfterCurrent_) {
        readBackAfterCurrent_ = false;
        refresh(true);
    }
}

void DashboardModel::performSafetyReset()
{
    if (resetting_)
        return;
    resetting_ = true;
    setStatus(L10n::key("안전 복귀 요청 중..."), StatusTone::Progress);
    Dispatch* dispatch = &dispatch_;
    QPointer<DashboardModel> guard(this);
    dispatch_.global(QoS::UserInitiated)->async([=, collector = collector_] {
        const bool ok = collector->resetToVanilla();
        dispatch->main()->async([=] {
            if (DashboardModel* self = guard.data())
                self->applyResetOutcome(ok);
        });
    });
}

void DashboardModel::applyResetOutcome(bool ok)
{
    resetting_ = false;
    if (ok) {
        setStatus(L10n::key("안전 복귀 완료. macOS 기본 상태를 다시 읽었습니다."), StatusTone::Success);
        pushEvent({QUuid::createUuid(), QStringLiteral("SAFETY"), L10n::key("Reset completed"),
                   L10n::key("macOS 기본값 복귀 요청 성공"), DSToken::green});
    } else {
        setStatus(L10n::key("안전 복귀 실패 또는 daemon 미연결입니다."), StatusTone::Failure);
        pushEvent({QUuid::createUuid(), QStringLiteral("SAFETY"), L10n::key("Reset failed"),
                   L10n::key("reset_to_vanilla 응답 실패"), DSToken::red});
    }
    // Read the state back at once; silent, so the outcome stays on the status line.
    if (isRefreshing())
        readBackAfterCurrent_ = true;
    else
        refresh(true);
}

void DashboardModel::pushEvent(DashboardEvent event)
{
    current_.events.insert(current_.events.begin(), std::move(event));
    if (current_.events.size() > size_t(eventCapacity))
        current_.events.resize(eventCapacity);
    Q_EMIT changed();
}

void DashboardModel::setStatus(const QString& key, StatusTone tone, std::optional<QString> detail)
{
    current_.actionStatus = key;
    current_.actionTone = tone;
    statusDetail_ = std::move(detail);
    Q_EMIT statusChanged();
}

void DashboardModel::pushSample(std::deque<double>& history, double value)
{
    history.push_back(value);
    while (history.size() > size_t(historyCapacity))
        history.pop_front();
}

} // namespace vantrel
