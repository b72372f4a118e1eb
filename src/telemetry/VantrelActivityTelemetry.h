#pragma once
// Records the application's own use (start, end, foreground time, sleep and wake) in a
// bounded queue on disk and hands it in batches to an uploader. All state lives on one
// serial queue; callers hand work to it, only terminate() waits.
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

#include <QList>
#include <QString>

#include "base/Dispatch.h"
#include "base/NotificationCenter.h"
#include "base/Preferences.h"
#include "telemetry/ActivityQueueFile.h"
#include "telemetry/ActivityUploader.h"
#include "telemetry/VantrelActivityEvent.h"

namespace vantrel {

class VantrelActivityTelemetry final : public std::enable_shared_from_this<VantrelActivityTelemetry> {
public:
    static inline const QString queueLabel = QStringLiteral("com.vantrel.activity-telemetry");
    // The user's switch; absent means on. Off stops recording and sending at once and
    // discards what is queued.
    static inline const QString usageEnabledKey = QStringLiteral("vantrel.telemetry.usageEnabled");

    // Notifications the application posts on the main thread; observed from start().
    static inline const QString applicationDidBecomeActive = QStringLiteral("ApplicationDidBecomeActive");
    static inline const QString applicationDidResignActive = QStringLiteral("ApplicationDidResignActive");
    static inline const QString windowDidMiniaturize = QStringLiteral("WindowDidMiniaturize");
    static inline const QString windowDidDeminiaturize = QStringLiteral("WindowDidDeminiaturize");
    static inline const QString windowWillClose = QStringLiteral("WindowWillClose");
    static inline const QString workspaceWillSleep = QStringLiteral("WorkspaceWillSleep");
    static inline const QString workspaceDidWake = QStringLiteral("WorkspaceDidWake");

    static constexpr int batchSize = 32;
    static constexpr double foregroundSampleInterval = 300;
    static constexpr double batchInterval = 900;

    struct Inputs {
        Dispatch& dispatch;
        Preferences& preferences;
        NotificationCenter& notifications;
        QString queueFilePath;
        QString appVersion;
        // Absent: nothing is ever sent; the queue stays bounded on disk.
        std::shared_ptr<ActivityUploader> uploader;
    };

    // What the queue holds and decides, read on the queue (for the tests and diagnostics).
    struct State {
        bool isStarted = false;
        bool isOnline = false;
        bool isForeground = false;
        bool isUploading = false;
        bool usageEnabled = true;
        int uploadFailureCount = 0;
        double nextUploadAllowedUptime = 0;
        bool retryPending = false;
        QString lifecycleSessionID;
        qint64 sequence = 0;
        QList<VantrelActivityEvent> events;
    };

    explicit VantrelActivityTelemetry(Inputs inputs);
    ~VantrelActivityTelemetry();

    // The instance the composition root registered, or null.
    static std::shared_ptr<VantrelActivityTelemetry> shared();
    static void setShared(std::shared_ptr<VantrelActivityTelemetry> telemetry);

    // Once at launch. foregroundEligibility runs on the main thread.
    void start(std::function<bool()> foregroundEligibility);
    void dashboardStateChanged();
    void terminate();
    void networkStatusChanged(bool isOnline);
    void authenticatedSessionAvailable();
    void setUsageEnabled(bool enabled);
    bool usageEnabled() const;

    State state() const;

    // 0 for negative, infinite or NaN; otherwise rounded to whole seconds, at most 900.
    static qint64 boundedElapsedSeconds(double seconds);
    // Delay before the next attempt after failureCount failures in a row (1…5).
    static double retryDelaySeconds(int failureCount);

private:
    void startOnQueue(std::function<bool()> foregroundEligibility);
    void installObservers();
    void append(const QString& kind, double foregroundElapsedSeconds);
    void setForeground(bool foreground);
    void consumeForegroundElapsed(const QString& kind);
    void reconcileForegroundOnMain();
    void handleWillSleep();
    void handleDidWake();
    void applyNetworkStatus(bool isOnline);
    void flushIfPossible();
    void uploadFinished(const QStringList& batchIDs, bool success);
    void scheduleRetry();
    void applyUsageEnabled(bool enabled);
    void persist();
    double uptime() const;
    QDateTime now() const;
    std::weak_ptr<VantrelActivityTelemetry> weakSelf() { return weak_from_this(); }

    Dispatch& dispatch_;
    Preferences& preferences_;
    NotificationCenter& notificationCenter_;
    ActivityQueueFile file_;
    QString appVersion_;
    std::shared_ptr<ActivityUploader> uploader_;

    QueuePtr queue_;
    QList<int> observers_;
    CancelToken foregroundTimer_;
    CancelToken batchTimer_;
    bool isStarted_ = false;
    bool isOnline_ = false;
    bool isForeground_ = false;
    bool isUploading_ = false;
    bool usageEnabled_ = true;
    int uploadFailureCount_ = 0;
    double nextUploadAllowedUptime_ = 0;
    CancelToken retryWorkItem_;
    QString lifecycleSessionID_;
    qint64 sequence_ = 0;
    std::optional<double> lastForegroundSampleUptime_;
    QList<VantrelActivityEvent> events_;
    // Set on the queue, read on the main thread.
    mutable std::mutex eligibilityMutex_;
    std::function<bool()> foregroundEligibility_;
};

} // namespace vantrel
