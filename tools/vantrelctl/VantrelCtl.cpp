#include "tools/vantrelctl/VantrelCtl.h"

#include <memory>

#include <QCoreApplication>

#include "base/Log.h"
#include "base/Paths.h"
#include "base/QtDispatch.h"
#include "daemon/DaemonClient.h"
#include "daemon/DaemonSocketTransport.h"
#include "tools/vantrelctl/CtlArguments.h"
#include "tools/vantrelctl/CtlCommands.h"
#include "tools/vantrelctl/CtlTransport.h"
#include "tools/vantrelctl/ReadOnlyPreferences.h"

namespace vantrel {
namespace {

using Kind = CtlCommand::Kind;

CtlResult dispatchCommand(const CtlContext& ctx, const CtlCommand& command)
{
    switch (command.kind) {
    case Kind::Status:
        return runStatus(ctx);
    case Kind::Sensors:
        return runSensors(ctx);
    case Kind::UpdateStatus:
        return runUpdateStatus(ctx);
    case Kind::Raw:
        return runRaw(ctx, command);
    case Kind::FanAuto:
    case Kind::FanPreset:
    case Kind::FanCurve:
        return runFanCommand(ctx, command);
    case Kind::BatteryLimit:
    case Kind::BatteryProtector:
    case Kind::BatteryHeat:
        return runBatteryCommand(ctx, command);
    case Kind::SleepPrevent:
        return runSleepCommand(ctx, command);
    }
    return CtlResult::usage(QStringLiteral("unknown command"));
}

// The command words as far as they can be told from args, for the JSON of a usage error.
QString commandWords(const QStringList& args)
{
    QStringList words;
    for (const QString& a : args) {
        if (a.startsWith(QLatin1Char('-')) || words.size() == 2)
            continue;
        words << a;
    }
    return words.join(QLatin1Char(' '));
}

} // namespace

int VantrelCtl::run(const QStringList& args, QTextStream& out, QTextStream& err)
{
    QString error;
    const auto arguments = CtlArguments::parse(args, &error);
    if (!arguments) {
        const bool json = args.contains(QStringLiteral("--json"));
        CtlResult::usage(error).print(commandWords(args), json, nullptr, out, err);
        if (!json)
            err << '\n' << CtlArguments::usage();
        return CtlResult::Usage;
    }
    if (arguments->help) {
        out << CtlArguments::usage();
        return CtlResult::Ok;
    }

    const Paths paths = Paths::fromEnvironment();
    const QString socketPath = arguments->socket.isEmpty() ? paths.daemonSocket() : arguments->socket;
    // The exchange log goes to standard error with --verbose and nowhere otherwise, so standard
    // output stays for results.
    const bool verbose = arguments->verbose;
    const LogSink previousSink = setLogSink([verbose, &err](const QString& line) {
        if (verbose)
            err << line << Qt::endl;
    });

    CtlResult result;
    auto transport = std::shared_ptr<CtlTransport>();
    {
        // No event loop runs here: the connection-failure notification queued on the main
        // queue is simply never delivered, which is fine for a one-shot tool.
        QtDispatch dispatch;
        transport = std::make_shared<CtlTransport>(std::make_shared<DaemonSocketTransport>(
            dispatch, socketPath, verbose || DaemonSocketTransport::verboseFromEnvironment()));
        DaemonClient client(transport, paths.updateStatusFile());
        ReadOnlyPreferences preferences(paths.preferencesFile());
        const CtlContext ctx{client,      *transport, paths,
                             preferences, socketPath, QCoreApplication::applicationDirPath()};
        result = dispatchCommand(ctx, arguments->command);
    }
    setLogSink(previousSink);
    result.print(arguments->command.name, arguments->json, transport.get(), out, err);
    return result.exitCode;
}

} // namespace vantrel
