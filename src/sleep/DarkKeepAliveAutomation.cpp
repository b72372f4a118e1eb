// DarkKeepAlive's command runner and the accessibility / automation status it publishes.
#include "sleep/DarkKeepAlive.h"

#include <QPointer>
#include <QUrl>

#include "base/Preferences.h"
#include "sleep/AutomationStatusSink.h"
#include "sleep/SleepDebugLog.h"

namespace vantrel {
namespace {

// One program run: everything it needs travels with it, so polling never touches the controller.
struct ProcessRun {
    std::shared_ptr<ProcessRunner> runner;
    Dispatch* dispatch = nullptr;
    QString logPath;
    QString path;
    QStringList arguments;
    double timeout = 0;
    double deadline = 0;
    bool logFailure = false;
    std::function<void(bool)> completion;
    std::unique_ptr<RunningProcess> process;

    void log(const QString& message) const
    {
        appendSleepDebugLog(logPath, dispatch->clock().now(), QStringLiteral("DarkKeepAlive: ") + message);
    }
    void finish(bool ok)
    {
        auto done = std::move(completion);
        if (done)
            done(ok);
    }
};

void pollRun(const std::shared_ptr<ProcessRun>& run)
{
    RunningProcess& process = *run->process;
    if (process.isRunning()) {
        if (run->dispatch->clock().uptimeSeconds() < run->deadline) {
            run->dispatch->after(run->dispatch->global(QoS::Utility), DarkKeepAlive::processPollInterval,
                                 [run] { pollRun(run); });
            return;
        }
        process.terminate();
        run->log(QStringLiteral("Command timed out: ") + run->path);
        run->process.reset(); // what still runs after the request to end is killed here
        run->finish(false);
        return;
    }
    const int status = process.exitStatus();
    if (status != 0 && run->logFailure) {
        const QString text = QString::fromUtf8(process.readStandardError()).trimmed();
        run->log(QStringLiteral("Command failed: %1 status=%2 error=%3").arg(run->path).arg(status).arg(text));
    }
    run->process.reset();
    run->finish(status == 0);
}

void launchRun(const std::shared_ptr<ProcessRun>& run)
{
    QString error;
    run->process = run->runner ? run->runner->launch(run->path, run->arguments, &error) : nullptr;
    if (!run->process) {
        run->log(QStringLiteral("Command failed to start: ") + run->path + QLatin1Char(' ') + error);
        run->finish(false);
        return;
    }
    run->deadline = run->dispatch->clock().uptimeSeconds() + run->timeout;
    pollRun(run);
}

} // namespace

void DarkKeepAlive::runProcess(const QString& path, const QStringList& arguments, double timeout, bool logFailure,
                               std::function<void(bool)> completion)
{
    auto run = std::make_shared<ProcessRun>();
    run->runner = platform_.processRunner;
    run->dispatch = &dispatch_;
    run->logPath = logPath_;
    run->path = path;
    run->arguments = arguments;
    run->timeout = timeout;
    run->logFailure = logFailure;
    run->completion = std::move(completion);
    dispatch_.global(QoS::Utility)->async([run] { launchRun(run); });
}

void DarkKeepAlive::checkSystemEventsAutomationPermission(std::function<void(bool)> completion)
{
    QPointer<DarkKeepAlive> guard(this);
    dispatch_.global(QoS::Utility)
        ->async([access = platform_.accessibility, mainQueue = dispatch_.main(), guard, completion] {
            const bool ok = access && access->probeSystemEventsAutomation();
            mainQueue->async([guard, ok, completion] {
                if (completion)
                    completion(guard ? ok : false);
            });
        });
}

void DarkKeepAlive::refreshAutomationStatus()
{
    const std::shared_ptr<AutomationStatusSink> sink = automationSink_;
    if (!platform_.accessibility || !platform_.accessibility->isProcessTrusted()) {
        if (sink) {
            sink->setAutomationAuthorized(false);
            sink->setAutomationStatusText(QStringLiteral("Accessibility required first"));
        }
        return;
    }
    if (sink)
        sink->setAutomationStatusText(QStringLiteral("Checking System Events..."));
    std::weak_ptr<AutomationStatusSink> weakSink = sink;
    checkSystemEventsAutomationPermission([weakSink, prefs = &preferences_](bool ok) {
        const auto target = weakSink.lock();
        if (!target)
            return;
        target->setAutomationAuthorized(ok);
        target->setAutomationStatusText(ok ? QStringLiteral("System Events automation is allowed")
                                           : QStringLiteral("System Events automation is not allowed yet"));
        if (ok) {
            target->setAutomationPermissionRequested(true);
            prefs->setValue(QStringLiteral("automationPermissionRequested"), true);
        }
    });
}

void DarkKeepAlive::openAccessibilitySettings()
{
    if (platform_.workspace)
        platform_.workspace->openUrl(QUrl(QString::fromLatin1(accessibilitySettingsUrl)));
    for (const double at : {1.0, 3.0, 6.0})
        dispatch_.after(dispatch_.main(), seconds(at),
                        weakly(this, [](DarkKeepAlive* self) { self->recheckAccessibility(); }));
}

void DarkKeepAlive::recheckAccessibility()
{
    const std::shared_ptr<AutomationStatusSink> sink = automationSink_;
    if (sink && platform_.accessibility)
        sink->setAccessibilityTrusted(platform_.accessibility->isProcessTrusted());
    refreshAutomationStatus();
    if (sink)
        sink->checkDaemonAvailability();
}

} // namespace vantrel
