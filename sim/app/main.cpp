// vantrel-sim: the simulated Mac behind the daemon socket, or `vantrel-sim ctl …` to control it.
#include <QCoreApplication>
#include <QTextStream>

#include "base/Paths.h"
#include "base/QtDispatch.h"
#include "daemonserver/QuitSignals.h"
#include "sim/app/SimControlCli.h"
#include "sim/app/SimOptions.h"
#include "sim/server/RealTimeStepper.h"
#include "sim/server/SimServer.h"

using namespace vantrel;
using namespace vantrel::sim;

int main(int argc, char** argv)
{
    const sigset_t signals = daemonserver::blockQuitSignals();

    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QStringList arguments = app.arguments().mid(1);
    const Paths paths = Paths::fromEnvironment();

    if (!arguments.isEmpty() && arguments.first() == QLatin1String("ctl")) {
        const CliResult result = runControlCli(arguments.mid(1), paths);
        out << result.out;
        err << result.err;
        return result.exitCode;
    }

    QString error;
    bool help = false;
    const auto options = SimOptions::parse(arguments, paths, &error, &help);
    if (!options) {
        (help ? out : err) << (help ? QString() : QStringLiteral("vantrel-sim: ") + error + QStringLiteral("\n\n"))
                           << SimOptions::usage();
        return help ? 0 : 64;
    }

    SimDaemon daemon(options->daemon, !options->background);
    SimServer server(daemon, options->socketPath);
    if (!server.start(&error)) {
        err << QStringLiteral("vantrel-sim: ") << error << Qt::endl;
        return 1;
    }
    QtDispatch dispatch;
    RealTimeStepper stepper(dispatch, daemon, options->speed);
    if (!options->daemon.manualClock)
        stepper.start();
    if (!options->background) {
        out << QStringLiteral("vantrel-sim: %1 (%2) on %3\n")
                   .arg(options->daemon.profile.name, options->daemon.profile.marketingName, options->socketPath)
            << QStringLiteral("vantrel-sim: state in %1, %2\n")
                   .arg(options->daemon.stateDirectory,
                        options->daemon.manualClock
                            ? QStringLiteral("manual clock (sim_step)")
                            : QStringLiteral("%1 simulated second(s) per second").arg(options->speed))
            << Qt::flush;
    }
    daemonserver::quitOnSignals(signals);
    const int rc = app.exec();
    stepper.stop();
    server.stop();
    return rc;
}
