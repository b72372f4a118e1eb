// The vantrel program: the composition root, the application delegate and the event loop.
#include <memory>
#include <vector>

#include <QApplication>

#include "app/AppDelegate.h"
#include "app/AppIcon.h"
#include "app/AppServices.h"
#include "app/EventLoopProbe.h"
#include "app/HeadlessDemo.h"
#include "app/LaunchOptions.h"
#include "app/ProcessHeap.h"
#include "app/StartupTiming.h"
#include "app/TerminationSignalWatcher.h"
#include "base/Log.h"
#include "core/ThermalManager.h"

using namespace vantrel;

int main(int argc, char** argv)
{
    keepTheHeapCompact();
    std::unique_ptr<StartupTiming> startupTiming;
    if (StartupTiming::requested())
        startupTiming = std::make_unique<StartupTiming>();
    // Qt reads "--platform" as its own window-system option, so ours is taken out of what Qt sees.
    QStringList arguments;
    std::vector<char*> qtArguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
        if (qstrcmp(argv[i], "--platform") == 0 && i + 1 < argc) {
            arguments << QString::fromLocal8Bit(argv[++i]);
            continue;
        }
        if (qstrncmp(argv[i], "--platform=", 11) != 0)
            qtArguments.push_back(argv[i]);
        if ((qstrcmp(argv[i], "--headless-demo") == 0 || qstrcmp(argv[i], "--screenshot") == 0)
            && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    int qtArgc = static_cast<int>(qtArguments.size());
    qtArguments.push_back(nullptr);

    QApplication app(qtArgc, qtArguments.data());
    app.setApplicationName(QStringLiteral("Vantrel"));
    // Ties the windows to the installed desktop entry (its name, icon and Wayland app id).
    app.setDesktopFileName(QStringLiteral(VANTREL_DESKTOP_ID));
    app.setQuitOnLastWindowClosed(false);
    app.setWindowIcon(applicationIcon());
    if (startupTiming)
        startupTiming->watchWindows();

    QString error;
    const auto options = LaunchOptions::parse(arguments, Paths::fromEnvironment(), &error);
    if (!options) {
        logLine(QStringLiteral("vantrel: ") + error);
        return 2;
    }

    AppServices services(*options);
    if (options->screenshot) {
        // A tool mode: no instance lock, no loop, no heartbeat; a running copy is not disturbed.
        QString renderError;
        if (!services.renderScreenshot(*options->screenshot, &renderError)) {
            logLine(QStringLiteral("vantrel: ") + renderError);
            return 1;
        }
        logLine(QStringLiteral("Vantrel: wrote ") + options->screenshot->file);
        return 0;
    }
    services.requestNotificationAuthorization();

    const auto terminate = [&app] { QMetaObject::invokeMethod(&app, &QCoreApplication::quit, Qt::QueuedConnection); };
    // SIGTERM, SIGINT and SIGHUP end the application the way its Quit command does: the window's
    // frame is saved, the instance lock released and the preferences written.
    TerminationSignalWatcher terminationSignals;
    QObject::connect(&terminationSignals, &TerminationSignalWatcher::received, &app, [terminate](int signalNumber) {
        logLine(QStringLiteral("Vantrel: ") + TerminationSignalWatcher::signalName(signalNumber)
                + QStringLiteral(" received; quitting"));
        terminate();
    });
    std::function<QWidget*()> rootViewFactory = [&services, terminate] { return services.makeRootView(terminate); };
    AppDelegate delegate(services.delegateContext(rootViewFactory, terminate));
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &delegate, [&delegate, &services] {
        delegate.applicationShouldTerminate();
        delegate.applicationWillTerminate();
        // Work still waiting on a silent daemon would otherwise hold the exit for its time-outs;
        // the daemon keeps enforcing what it already received.
        services.transport()->abandonExchanges();
    });

    // A refused second copy never starts the monitoring loop or talks to the daemon's heartbeat.
    const bool admitted = delegate.applicationDidFinishLaunching() == AppDelegate::LaunchOutcome::Admitted;
    std::unique_ptr<EventLoopProbe> eventLoopProbe;
    if (admitted) {
        if (startupTiming)
            startupTiming->watchReadings(services.model().thermal());
        if (const auto probePath = EventLoopProbe::requestedPath()) {
            eventLoopProbe = std::make_unique<EventLoopProbe>(services.dispatch(), *probePath);
            EventLoopProbe* probe = eventLoopProbe.get();
            QObject::connect(&services.model().thermal(), &ThermalManager::readingsChanged, &app,
                             [probe] { probe->countReading(); });
            QObject::connect(&app, &QCoreApplication::aboutToQuit, &app, [probe] { probe->stop(); });
            // Measured from the first turn of the event loop on.
            services.dispatch().main()->async([probe] { probe->start(); });
        }
        services.startModel();
    }
    std::unique_ptr<HeadlessDemo> demo;
    if (admitted && options->headlessDemoDirectory) {
        HeadlessDemo::Timing timing;
        timing.runFor = seconds(options->demoSeconds);
        demo = std::make_unique<HeadlessDemo>(services.dispatch(), services.daemon(), delegate,
                                              *options->headlessDemoDirectory, terminate, timing);
        if (!options->demoMainWindowOnly)
            demo->setMorePictures([&services](const QString& directory) { services.writePagePictures(directory); });
        demo->start();
    }
    return app.exec();
}
