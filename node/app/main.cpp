// vantrel-node: the root daemon on a Linux machine, answering the daemon protocol from this
// machine's sysfs, /proc and logind. `vantrel-node --restore-fans` hands every controllable
// fan back to the firmware (the service's stop step, also after a crash).
#include <unistd.h>

#include <QCoreApplication>
#include <QTextStream>

#include "base/Paths.h"
#include "base/QtDispatch.h"
#include "daemonserver/DaemonServer.h"
#include "daemonserver/QuitSignals.h"
#include "node/daemon/LogindSessionLookup.h"
#include "node/daemon/NodeDaemon.h"
#include "node/fans/Fans.h"

using namespace vantrel;
using namespace vantrel::node;

namespace {

// Takes each controllable fan over for a moment (at full speed, the safe direction) so that
// its automatic mode is written back even when a crashed daemon left it in manual.
int restoreFans(const QString& root)
{
    Fans fans(root);
    int restored = 0;
    for (const FanReading& f : fans.read())
        if (fans.canControl(f.index) && fans.setDutyPercent(f.index, 100))
            ++restored;
    fans.restoreAutomatic();
    QTextStream(stdout) << QStringLiteral("vantrel-node: %1 fan(s) returned to automatic control\n").arg(restored);
    return 0;
}

QString usage()
{
    return QStringLiteral("usage: vantrel-node [--verbose] [--restore-fans]\n"
                          "  Serves the daemon socket (VANTREL_DAEMON_SOCKET, else /tmp/vantrel_daemon.sock);\n"
                          "  VANTREL_ROOT re-roots /sys, /proc and /var/lib/vantrel.\n");
}

} // namespace

int main(int argc, char** argv)
{
    const sigset_t signals = daemonserver::blockQuitSignals();

    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const Paths paths = Paths::fromEnvironment();
    const QString root = paths.root().isEmpty() ? QStringLiteral("/") : paths.root();
    bool verbose = false;
    for (const QString& a : app.arguments().mid(1)) {
        if (a == QLatin1String("--verbose")) {
            verbose = true;
        } else if (a == QLatin1String("--restore-fans")) {
            return restoreFans(root);
        } else if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            out << usage();
            return 0;
        } else {
            err << QStringLiteral("vantrel-node: unknown argument ") << a << QStringLiteral("\n\n") << usage();
            return 64;
        }
    }

    QtDispatch dispatch;
    auto authorizer = std::make_shared<Authorizer>(std::make_shared<LogindSessionLookup>(),
                                                   std::make_shared<SystemGroupMembership>(), ::geteuid());
    NodeDaemon daemon(NodeConfig{paths.root(), paths.rooted(QStringLiteral("/var/lib/vantrel")), {}}, dispatch,
                      std::make_shared<LogindSleepInhibitors>(), authorizer, verbose);
    daemon.start();
    daemonserver::DaemonServer server(
        [&daemon](const QByteArray& request, const daemonserver::PeerCredentials& peer) {
        return daemon.respond(request, peer);
        },
        paths.daemonSocket());
    QString error;
    if (!server.start(&error)) {
        err << QStringLiteral("vantrel-node: ") << error << Qt::endl;
        return 1;
    }
    const MachineFacts facts = daemon.context().facts();
    out << QStringLiteral("vantrel-node: %1 (%2 fan(s), %3) on %4\n")
               .arg(facts.modelIdentifier)
               .arg(facts.fanCount)
               .arg(facts.hasBattery ? QStringLiteral("battery") : QStringLiteral("no battery"), paths.daemonSocket())
        << Qt::flush;
    daemonserver::quitOnSignals(signals);
    const int rc = app.exec();
    server.stop();
    daemon.stop();
    return rc;
}
