#include "tools/vantrelctl/VantrelCtl.h"

#include <memory>

#include <QCommandLineParser>
#include <QJsonDocument>
#include <QJsonParseError>

#include "base/JsonAccess.h"
#include "base/Log.h"
#include "base/Paths.h"
#include "base/QtDispatch.h"
#include "daemon/DaemonClient.h"
#include "daemon/DaemonSocketTransport.h"

namespace vantrel {
namespace {

QString reading(const std::optional<double>& value, const QString& unit)
{
    return value ? QString::number(*value, 'f', 1) + unit : QStringLiteral("not reported");
}

QString reading(const std::optional<qint64>& value, const QString& unit)
{
    return value ? QString::number(*value) + unit : QStringLiteral("not reported");
}

int raw(const DaemonClient& client, const QString& text, const QString& socketPath, QTextStream& out, QTextStream& err)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError) {
        err << "vantrelctl: the request is not valid JSON: " << error.errorString() << '\n';
        return VantrelCtl::Usage;
    }
    if (!document.isObject() || !json::string(document.object(), QStringLiteral("cmd"))) {
        err << "vantrelctl: the request must be a JSON object with a string \"cmd\"\n";
        return VantrelCtl::Usage;
    }
    const auto reply = client.send(document.object());
    if (!reply) {
        err << "vantrelctl: no reply from the daemon at " << socketPath << '\n';
        return VantrelCtl::NoReply;
    }
    out << QString::fromUtf8(json::compact(*reply)) << '\n';
    return json::isOkStatus(*reply) ? VantrelCtl::Ok : VantrelCtl::DaemonRefused;
}

int status(const DaemonClient& client, const QString& socketPath, QTextStream& out, QTextStream& err)
{
    const auto status = client.getStatus();
    if (!status) {
        err << "vantrelctl: no reply from the daemon at " << socketPath << '\n';
        return VantrelCtl::NoReply;
    }
    if (status->isOk())
        out << "Daemon: connected\n";
    else
        out << "Daemon: answered with status \"" << status->status << "\"\n";
    out << "CPU temperature: " << reading(status->cpu_temp, QStringLiteral(" °C")) << '\n'
        << "Fan 0: " << reading(status->fan0, QStringLiteral(" rpm")) << '\n'
        << "Fan 1: " << reading(status->fan1, QStringLiteral(" rpm")) << '\n'
        << "Battery: " << reading(status->battery_percent, QStringLiteral(" %")) << '\n';
    return status->isOk() ? VantrelCtl::Ok : VantrelCtl::DaemonRefused;
}

} // namespace

QString VantrelCtl::usage()
{
    return QStringLiteral("Usage: vantrelctl [--socket PATH] COMMAND\n"
                          "\n"
                          "Commands:\n"
                          "  status              print the daemon status in plain words\n"
                          "  raw '<json object>' send one request (it needs a string \"cmd\") and print the reply\n"
                          "\n"
                          "The socket is $VANTREL_DAEMON_SOCKET, else $VANTREL_ROOT/tmp/vantrel_daemon.sock,\n"
                          "else /tmp/vantrel_daemon.sock. Exchange logs go to standard error\n"
                          "(VANTREL_VERBOSE_IPC=1 also logs the read-back commands).\n"
                          "\n"
                          "Exit status: 0 reply with status \"ok\", 1 reply with another status,\n"
                          "2 bad usage or request, 3 no reply from the daemon.\n");
}

int VantrelCtl::run(const QStringList& args, QTextStream& out, QTextStream& err)
{
    QCommandLineParser parser;
    const QCommandLineOption socketOption(QStringLiteral("socket"), QStringLiteral("Daemon socket path."),
                                          QStringLiteral("PATH"));
    const QCommandLineOption helpOption({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show help."));
    parser.addOption(socketOption);
    parser.addOption(helpOption);
    if (!parser.parse(QStringList{QStringLiteral("vantrelctl")} + args)) {
        err << "vantrelctl: " << parser.errorText() << "\n\n" << usage();
        return Usage;
    }
    if (parser.isSet(helpOption)) {
        out << usage();
        return Ok;
    }
    const QStringList positional = parser.positionalArguments();
    const QString command = positional.value(0);
    const bool rawCommand = command == QStringLiteral("raw") && positional.size() == 2;
    const bool statusCommand = command == QStringLiteral("status") && positional.size() == 1;
    if (!rawCommand && !statusCommand) {
        err << usage();
        return Usage;
    }

    const QString socketPath
        = parser.isSet(socketOption) ? parser.value(socketOption) : Paths::fromEnvironment().daemonSocket();
    // Standard output carries only the reply; the exchange log lines go beside the messages.
    const LogSink previousSink = setLogSink([&err](const QString& line) { err << line << Qt::endl; });

    int exitCode = Usage;
    {
        // No event loop runs here: the connection-failure notification queued on the main
        // queue is simply never delivered, which is fine for a one-shot tool.
        QtDispatch dispatch;
        auto transport = std::make_shared<DaemonSocketTransport>(dispatch, socketPath,
                                                                 DaemonSocketTransport::verboseFromEnvironment());
        const DaemonClient client(transport);
        exitCode
            = rawCommand ? raw(client, positional.at(1), socketPath, out, err) : status(client, socketPath, out, err);
    }
    setLogSink(previousSink);
    return exitCode;
}

} // namespace vantrel
