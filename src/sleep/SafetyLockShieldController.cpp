#include "sleep/SafetyLockShieldController.h"

#include <atomic>

#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QPointer>
#include <QStringList>

#include "base/Log.h"
#include "sleep/SleepDebugLog.h"

namespace vantrel {
namespace {

std::atomic<SafetyLockShieldController*> sharedController{nullptr};

QString rectText(const QRect& r)
{
    return QStringLiteral("(%1.0, %2.0, %3.0, %4.0)").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

} // namespace

SafetyLockShieldController::SafetyLockShieldController(Dispatch& dispatch, const Paths& paths,
                                                       std::shared_ptr<ShieldWindows> windows, QObject* parent)
    : QObject(parent)
    , dispatch_(dispatch)
    , windows_(std::move(windows))
    , releaseSignalPath_(paths.shieldReleaseSignal())
    , releaseSignalDirectory_(QFileInfo(paths.shieldReleaseSignal()).absolutePath())
    , logPath_(paths.appLogFile())
{ }

SafetyLockShieldController::~SafetyLockShieldController()
{
    stopReleaseSignalMonitor();
    if (shieldWindowCount_ > 0)
        windows_->hide();
    SafetyLockShieldController* self = this;
    sharedController.compare_exchange_strong(self, nullptr);
}

SafetyLockShieldController* SafetyLockShieldController::shared() { return sharedController.load(); }

void SafetyLockShieldController::setShared(SafetyLockShieldController* controller)
{
    sharedController.store(controller);
}

bool SafetyLockShieldController::showBuiltInDisplayShieldOnce(const QString& reason)
{
    bool shown = false;
    dispatch_.main()->sync([&] { shown = showOnMain(reason); });
    return shown;
}

void SafetyLockShieldController::releaseShield(const QString& reason)
{
    dispatch_.main()->sync([&] { releaseShieldLocked(reason); });
}

void SafetyLockShieldController::releaseShieldIfCurrent(const QString& reason, std::uint64_t generation)
{
    dispatch_.main()->sync([&] {
        if (generation != shieldGeneration_) {
            appendDebugLog(QStringLiteral("SafetyLockShield: skipped stale release generation=%1 current=%2 reason=%3")
                               .arg(generation)
                               .arg(shieldGeneration_)
                               .arg(reason));
            return;
        }
        releaseShieldLocked(reason + QStringLiteral(" generation=") + QString::number(generation));
    });
}

bool SafetyLockShieldController::isShieldVisible() const
{
    bool visible = false;
    dispatch_.main()->sync([&] { visible = shieldWindowCount_ > 0; });
    return visible;
}

std::uint64_t SafetyLockShieldController::currentShieldGeneration() const
{
    std::uint64_t generation = 0;
    dispatch_.main()->sync([&] { generation = shieldGeneration_; });
    return generation;
}

bool SafetyLockShieldController::showOnMain(const QString& reason)
{
    releaseShieldLocked(QStringLiteral("replace existing shield before show"));
    const std::vector<ShieldScreen> screens = builtInScreens();
    if (screens.empty()) {
        appendDebugLog(QStringLiteral("SafetyLockShield: no built-in display found reason=") + reason
                       + QStringLiteral(" screens=") + screenSnapshot());
        return false;
    }
    shieldGeneration_ += 1;
    shieldWindowCount_ = windows_->show(screens);
    appendDebugLog(QStringLiteral("SafetyLockShield: shown on built-in displays count=%1 generation=%2 reason=%3")
                       .arg(shieldWindowCount_)
                       .arg(shieldGeneration_)
                       .arg(reason));
    if (shieldWindowCount_ == 0)
        return false; // the desktop refused every window: nothing to watch for
    startReleaseSignalMonitor();
    Q_EMIT shieldVisibleChanged(true);
    return true;
}

void SafetyLockShieldController::releaseShieldLocked(const QString& reason)
{
    if (shieldWindowCount_ == 0)
        return;
    windows_->hide();
    shieldWindowCount_ = 0;
    stopReleaseSignalMonitor();
    appendDebugLog(QStringLiteral("SafetyLockShield: released reason=") + reason);
    Q_EMIT shieldVisibleChanged(false);
}

void SafetyLockShieldController::startReleaseSignalMonitor()
{
    stopReleaseSignalMonitor();
    // A signal left over from before must not release the shield just shown.
    QFile::remove(releaseSignalPath_);

    auto watcher = new QFileSystemWatcher(this);
    if (!watcher->addPath(releaseSignalDirectory_)) {
        delete watcher;
        releaseTimer_ = dispatch_.every(dispatch_.global(QoS::UserInitiated), releaseSignalPollInterval, Duration(0),
                                        signalCheck(QStringLiteral("release signal file (timer fallback)")),
                                        releaseSignalPollInterval);
        return;
    }
    connect(watcher, &QFileSystemWatcher::directoryChanged, this, [this] {
        dispatch_.global(QoS::UserInitiated)
            ->async(signalCheck(QStringLiteral("release signal file (directory monitor)")));
    });
    dirMonitor_ = watcher;
}

void SafetyLockShieldController::stopReleaseSignalMonitor()
{
    if (dirMonitor_) {
        dirMonitor_->disconnect(this);
        dirMonitor_->deleteLater();
        dirMonitor_ = nullptr;
    }
    if (releaseTimer_) {
        releaseTimer_->cancel();
        releaseTimer_.reset();
    }
}

Work SafetyLockShieldController::signalCheck(const QString& reason)
{
    // Runs off the main queue and touches only the file system; the release hops back to the
    // main queue and does nothing once the controller is gone.
    QPointer<SafetyLockShieldController> guard(this);
    QueuePtr mainQueue = dispatch_.main();
    return [guard, mainQueue, path = releaseSignalPath_, reason] {
        if (!QFileInfo::exists(path))
            return;
        QFile::remove(path);
        mainQueue->sync([guard, reason] {
            if (guard)
                guard->releaseShieldLocked(reason);
        });
    };
}

std::vector<ShieldScreen> SafetyLockShieldController::builtInScreens() const
{
    std::vector<ShieldScreen> builtIn;
    for (const ShieldScreen& screen : windows_->screens()) {
        if (screen.builtIn && !screen.displayId.isEmpty())
            builtIn.push_back(screen);
    }
    return builtIn;
}

QString SafetyLockShieldController::screenSnapshot() const
{
    QStringList entries;
    for (const ShieldScreen& screen : windows_->screens()) {
        entries << (screen.displayId.isEmpty() ? QStringLiteral("0") : screen.displayId) + QStringLiteral(":builtin=")
                + boolText(screen.builtIn) + QStringLiteral(":online=") + boolText(screen.online)
                + QStringLiteral(":frame=") + rectText(screen.frame);
    }
    return entries.join(QLatin1Char(','));
}

void SafetyLockShieldController::appendDebugLog(const QString& message) const
{
    appendSleepDebugLog(logPath_, dispatch_.clock().now(), message);
}

} // namespace vantrel
