#pragma once
// The safety shield over the built-in displays: shown when the lid closes, released after the
// lock screen is up unless a newer shield replaced it (generations), or at once when the release
// signal file appears. The file's directory is watched; where it cannot be, it is polled every 0.5 s.
#include <cstdint>
#include <memory>

#include <QObject>
#include <QString>

#include "base/Dispatch.h"
#include "base/Paths.h"
#include "platform/ShieldWindows.h"

class QFileSystemWatcher;

namespace vantrel {

class SafetyLockShieldController : public QObject {
    Q_OBJECT
public:
    static constexpr Duration releaseSignalPollInterval{500};

    SafetyLockShieldController(Dispatch& dispatch, const Paths& paths, std::shared_ptr<ShieldWindows> windows,
                               QObject* parent = nullptr);
    ~SafetyLockShieldController() override;

    // The process-wide instance, set by the composition root (null until then).
    static SafetyLockShieldController* shared();
    static void setShared(SafetyLockShieldController* controller);

    // Each may be called from any thread; the work runs on the main queue.
    // Replaces any shield by a fresh one; true when at least one built-in screen was covered.
    bool showBuiltInDisplayShieldOnce(const QString& reason);
    void releaseShield(const QString& reason);
    // Releases only while generation is still the current one; a stale release is logged and ignored.
    void releaseShieldIfCurrent(const QString& reason, std::uint64_t generation);
    bool isShieldVisible() const;
    std::uint64_t currentShieldGeneration() const;

    // How the release signal is being watched right now (tests and diagnostics).
    bool isWatchingDirectory() const { return dirMonitor_ != nullptr; }
    bool isPolling() const { return releaseTimer_ != nullptr; }

    QString releaseSignalPath() const { return releaseSignalPath_; }
    QString logPath() const { return logPath_; }

Q_SIGNALS:
    void shieldVisibleChanged(bool visible);

private:
    bool showOnMain(const QString& reason);
    void releaseShieldLocked(const QString& reason);
    void startReleaseSignalMonitor();
    void stopReleaseSignalMonitor();
    // Consumes the release signal file, if any, and releases the shield with reason.
    Work signalCheck(const QString& reason);
    std::vector<ShieldScreen> builtInScreens() const;
    QString screenSnapshot() const;
    void appendDebugLog(const QString& message) const;

    Dispatch& dispatch_;
    std::shared_ptr<ShieldWindows> windows_;
    int shieldWindowCount_ = 0;
    std::uint64_t shieldGeneration_ = 0;
    CancelToken releaseTimer_;
    QFileSystemWatcher* dirMonitor_ = nullptr;
    const QString releaseSignalPath_;
    const QString releaseSignalDirectory_;
    const QString logPath_;
};

} // namespace vantrel
