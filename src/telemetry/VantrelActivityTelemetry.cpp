#include "telemetry/VantrelActivityTelemetry.h"

#include <cmath>
#include <mutex>

#include <QUuid>

#include "base/Log.h"
#include "telemetry/VantrelActivityQueuePolicy.h"

namespace vantrel {

namespace {

std::mutex sharedMutex;
std::shared_ptr<VantrelActivityTelemetry> sharedInstance;

QString freshID() { return QUuid::createUuid().toString(QUuid::WithoutBraces).toLower(); }

} // namespace

VantrelActivityTelemetry::VantrelActivityTelemetry(Inputs inputs)
    : dispatch_(inputs.dispatch)
    , preferences_(inputs.preferences)
    , notificationCenter_(inputs.notifications)
    , file_(std::move(inputs.queueFilePath))
    , appVersion_(std::move(inputs.appVersion))
    , uploader_(std::move(inputs.uploader))
    , queue_(dispatch_.makeSerialQueue(queueLabel, QoS::Utility))
    , usageEnabled_(preferences_.boolValue(usageEnabledKey, true))
    , lifecycleSessionID_(freshID())
{ }

VantrelActivityTelemetry::~VantrelActivityTelemetry()
{
    for (int token : observers_)
        notificationCenter_.removeObserver(token);
    for (const CancelToken& token : {foregroundTimer_, batchTimer_, retryWorkItem_}) {
        if (token)
            token->cancel();
    }
}

std::shared_ptr<VantrelActivityTelemetry> VantrelActivityTelemetry::shared()
{
    std::lock_guard lock(sharedMutex);
    return sharedInstance;
}

void VantrelActivityTelemetry::setShared(std::shared_ptr<VantrelActivityTelemetry> telemetry)
{
    std::lock_guard lock(sharedMutex);
    sharedInstance = std::move(telemetry);
}

qint64 VantrelActivityTelemetry::boundedElapsedSeconds(double seconds)
{
    if (!std::isfinite(seconds) || seconds < 0)
        return 0;
    return std::min<qint64>(std::llround(seconds), VantrelActivityQueuePolicy::maximumElapsedSeconds);
}

double VantrelActivityTelemetry::retryDelaySeconds(int failureCount)
{
    static constexpr double delays[] = {60, 300, 900, 3600, 21600};
    return delays[std::clamp(failureCount, 1, 5) - 1];
}

double VantrelActivityTelemetry::uptime() const { return dispatch_.clock().uptimeSeconds(); }

QDateTime VantrelActivityTelemetry::now() const
{
    // Whole seconds, as the queue file stores them, so a reloaded queue compares the same.
    return QDateTime::fromSecsSinceEpoch(dispatch_.clock().now().toSecsSinceEpoch(), Qt::UTC);
}

void VantrelActivityTelemetry::start(std::function<bool()> foregroundEligibility)
{
    queue_->async(weakly(weakSelf(), [predicate = std::move(foregroundEligibility)](VantrelActivityTelemetry* self) {
        self->startOnQueue(predicate);
    }));
}

void VantrelActivityTelemetry::startOnQueue(std::function<bool()> foregroundEligibility)
{
    if (isStarted_)
        return;
    isStarted_ = true;
    {
        std::lock_guard lock(eligibilityMutex_);
        foregroundEligibility_ = std::move(foregroundEligibility);
    }
    events_ = usageEnabled_ ? file_.load() : QList<VantrelActivityEvent>{};
    // A batch handed over by an earlier run can no longer complete: it goes out again, and
    // the service recognises repeats by their event identifiers.
    for (VantrelActivityEvent& event : events_)
        event.wasSubmitted.reset();
    events_ = VantrelActivityQueuePolicy::prune(events_, now());
    persist();
    append(activity_kind::processStarted, 0);
    installObservers();
    const auto weak = weakSelf();
    foregroundTimer_ = dispatch_.every(queue_, seconds(foregroundSampleInterval), seconds(15),
                                       weakly(weak, [](VantrelActivityTelemetry* self) {
                                           if (self->isForeground_)
                                               self->consumeForegroundElapsed(activity_kind::foregroundHeartbeat);
                                       }));
    batchTimer_ = dispatch_.every(queue_, seconds(batchInterval), seconds(30),
                                  weakly(weak, [](VantrelActivityTelemetry* self) { self->flushIfPossible(); }));
    reconcileForegroundOnMain();
}

void VantrelActivityTelemetry::installObservers()
{
    if (!observers_.isEmpty())
        return;
    const auto weak = weakSelf();
    const auto reconcile = [weak](const QString&) {
        if (auto self = weak.lock())
            self->reconcileForegroundOnMain();
    };
    for (const QString& name : {applicationDidBecomeActive, applicationDidResignActive, windowDidMiniaturize,
                                windowDidDeminiaturize, windowWillClose})
        observers_.append(notificationCenter_.addObserver(name, reconcile));
    observers_.append(notificationCenter_.addObserver(workspaceWillSleep, [queue = queue_, weak](const QString&) {
        queue->async(weakly(weak, [](VantrelActivityTelemetry* self) { self->handleWillSleep(); }));
    }));
    observers_.append(notificationCenter_.addObserver(workspaceDidWake, [queue = queue_, weak](const QString&) {
        queue->async(weakly(weak, [](VantrelActivityTelemetry* self) { self->handleDidWake(); }));
    }));
}

void VantrelActivityTelemetry::append(const QString& kind, double foregroundElapsedSeconds)
{
    if (!usageEnabled_)
        return;
    ++sequence_;
    events_.append(VantrelActivityEvent{freshID(), lifecycleSessionID_, kind, now(), sequence_, appVersion_,
                                        boundedElapsedSeconds(foregroundElapsedSeconds), std::nullopt});
    events_ = VantrelActivityQueuePolicy::prune(events_, now());
    persist();
    if (events_.size() >= batchSize)
        flushIfPossible();
}

void VantrelActivityTelemetry::setForeground(bool foreground)
{
    if (foreground && !isForeground_) {
        isForeground_ = true;
        lastForegroundSampleUptime_ = uptime();
        append(activity_kind::foregroundStarted, 0);
    } else if (!foreground && isForeground_) {
        consumeForegroundElapsed(activity_kind::foregroundEnded);
        isForeground_ = false;
        lastForegroundSampleUptime_.reset();
        append(activity_kind::appBackgrounded, 0);
    }
}

void VantrelActivityTelemetry::consumeForegroundElapsed(const QString& kind)
{
    const double current = uptime();
    const double elapsed = lastForegroundSampleUptime_ ? std::max(0.0, current - *lastForegroundSampleUptime_) : 0.0;
    lastForegroundSampleUptime_ = current;
    append(isOnline_ ? kind : activity_kind::offlineForegroundSummary, elapsed);
}

void VantrelActivityTelemetry::reconcileForegroundOnMain()
{
    // The predicate reads the window and the application on the main thread; the answer is
    // applied on the queue.
    dispatch_.main()->async(weakly(weakSelf(), [](VantrelActivityTelemetry* self) {
        std::function<bool()> predicate;
        {
            std::lock_guard lock(self->eligibilityMutex_);
            predicate = self->foregroundEligibility_;
        }
        const bool eligible = predicate ? predicate() : false;
        self->queue_->async(weakly(self->weakSelf(),
                                   [eligible](VantrelActivityTelemetry* strong) { strong->setForeground(eligible); }));
    }));
}

void VantrelActivityTelemetry::handleWillSleep()
{
    if (isForeground_) {
        consumeForegroundElapsed(activity_kind::foregroundEnded);
        isForeground_ = false;
        lastForegroundSampleUptime_.reset();
    }
    append(activity_kind::sleep, 0);
}

void VantrelActivityTelemetry::handleDidWake()
{
    append(activity_kind::wake, 0);
    reconcileForegroundOnMain();
    flushIfPossible();
}

void VantrelActivityTelemetry::dashboardStateChanged() { reconcileForegroundOnMain(); }

void VantrelActivityTelemetry::networkStatusChanged(bool isOnline)
{
    queue_->async(
        weakly(weakSelf(), [isOnline](VantrelActivityTelemetry* self) { self->applyNetworkStatus(isOnline); }));
}

void VantrelActivityTelemetry::authenticatedSessionAvailable()
{
    queue_->async(weakly(weakSelf(), [](VantrelActivityTelemetry* self) { self->flushIfPossible(); }));
}

void VantrelActivityTelemetry::applyNetworkStatus(bool isOnline)
{
    if (isOnline == isOnline_)
        return;
    // The interval so far belongs to the old network state.
    if (isForeground_)
        consumeForegroundElapsed(activity_kind::foregroundHeartbeat);
    isOnline_ = isOnline;
    if (!isOnline_)
        return;
    uploadFailureCount_ = 0;
    nextUploadAllowedUptime_ = 0;
    if (retryWorkItem_) {
        retryWorkItem_->cancel();
        retryWorkItem_.reset();
    }
    flushIfPossible();
}

void VantrelActivityTelemetry::flushIfPossible()
{
    if (!usageEnabled_ || !uploader_ || !isOnline_ || isUploading_ || uptime() < nextUploadAllowedUptime_)
        return;
    QList<VantrelActivityEvent> batch;
    QStringList batchIDs;
    for (VantrelActivityEvent& event : events_) {
        if (batch.size() >= batchSize)
            break;
        if (event.isSubmitted())
            continue;
        event.wasSubmitted = true;
        batch.append(event);
        batchIDs.append(event.eventID);
    }
    if (batch.isEmpty())
        return;
    persist();
    isUploading_ = true;
    const auto weak = weakSelf();
    // The completion may come after the telemetry is gone: it holds only the queue and a weak reference.
    uploader_->submit(activityEventsToJson(batch, false), [queue = queue_, weak, batchIDs](bool success) {
        queue->async(weakly(
            weak, [batchIDs, success](VantrelActivityTelemetry* self) { self->uploadFinished(batchIDs, success); }));
    });
}

void VantrelActivityTelemetry::uploadFinished(const QStringList& batchIDs, bool success)
{
    isUploading_ = false;
    if (success) {
        uploadFailureCount_ = 0;
        nextUploadAllowedUptime_ = 0;
        events_.removeIf([&](const VantrelActivityEvent& e) { return batchIDs.contains(e.eventID); });
        persist();
        return;
    }
    // The batch goes out again with the next attempt.
    bool changed = false;
    for (VantrelActivityEvent& event : events_) {
        if (batchIDs.contains(event.eventID) && event.wasSubmitted) {
            event.wasSubmitted.reset();
            changed = true;
        }
    }
    if (changed)
        persist();
    scheduleRetry();
}

void VantrelActivityTelemetry::scheduleRetry()
{
    uploadFailureCount_ = std::min(uploadFailureCount_ + 1, 5);
    const double delay = retryDelaySeconds(uploadFailureCount_);
    nextUploadAllowedUptime_ = uptime() + delay;
    if (retryWorkItem_)
        retryWorkItem_->cancel();
    retryWorkItem_ = dispatch_.after(queue_, seconds(delay), weakly(weakSelf(), [](VantrelActivityTelemetry* self) {
                                         self->retryWorkItem_.reset();
                                         self->flushIfPossible();
                                     }));
}

void VantrelActivityTelemetry::terminate()
{
    const auto self = shared_from_this();
    queue_->sync([self] {
        if (self->isForeground_) {
            self->consumeForegroundElapsed(activity_kind::foregroundEnded);
            self->isForeground_ = false;
            self->lastForegroundSampleUptime_.reset();
        }
        self->append(activity_kind::processEnded, 0);
        self->persist();
        self->flushIfPossible();
    });
}

bool VantrelActivityTelemetry::usageEnabled() const { return preferences_.boolValue(usageEnabledKey, true); }

void VantrelActivityTelemetry::setUsageEnabled(bool enabled)
{
    preferences_.setValue(usageEnabledKey, enabled);
    queue_->async(weakly(weakSelf(), [enabled](VantrelActivityTelemetry* self) { self->applyUsageEnabled(enabled); }));
}

void VantrelActivityTelemetry::applyUsageEnabled(bool enabled)
{
    if (enabled == usageEnabled_)
        return;
    usageEnabled_ = enabled;
    if (enabled) {
        // Time spent while switched off is not counted.
        if (isForeground_)
            lastForegroundSampleUptime_ = uptime();
        return;
    }
    events_.clear();
    persist();
    uploadFailureCount_ = 0;
    nextUploadAllowedUptime_ = 0;
    if (retryWorkItem_) {
        retryWorkItem_->cancel();
        retryWorkItem_.reset();
    }
    logLine(QStringLiteral("[ActivityTelemetry] Usage telemetry switched off; queued events discarded."));
}

void VantrelActivityTelemetry::persist() { file_.save(events_); }

VantrelActivityTelemetry::State VantrelActivityTelemetry::state() const
{
    State s;
    queue_->sync([&] {
        s.isStarted = isStarted_;
        s.isOnline = isOnline_;
        s.isForeground = isForeground_;
        s.isUploading = isUploading_;
        s.usageEnabled = usageEnabled_;
        s.uploadFailureCount = uploadFailureCount_;
        s.nextUploadAllowedUptime = nextUploadAllowedUptime_;
        s.retryPending = retryWorkItem_ && !retryWorkItem_->isCancelled();
        s.lifecycleSessionID = lifecycleSessionID_;
        s.sequence = sequence_;
        s.events = events_;
    });
    return s;
}

} // namespace vantrel
