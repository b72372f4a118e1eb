#include "sim/app/SimControlCli.h"

#include <QJsonDocument>

#include "base/JsonAccess.h"
#include "daemonserver/RawExchange.h"
#include "sim/protocol/CommandTable.h"

namespace vantrel::sim {

namespace {

QJsonValue valueOf(const QString& text)
{
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray("{\"v\":") + text.toUtf8() + '}', &error);
    if (error.error == QJsonParseError::NoError && doc.isObject())
        return doc.object().value(QStringLiteral("v"));
    return text;
}

} // namespace

std::optional<QJsonObject> controlRequest(const QStringList& arguments, QString* error)
{
    if (arguments.isEmpty()) {
        if (error)
            *error = QStringLiteral(
                "ctl needs an action (load, adapter, battery, step, state, fault … or a daemon command)");
        return std::nullopt;
    }
    if (arguments.first() == QLatin1String("send")) {
        const auto request = arguments.size() == 2 ? json::parseObject(arguments[1].toUtf8(), error) : std::nullopt;
        if (!request && error && arguments.size() != 2)
            *error = QStringLiteral("ctl send takes one JSON object");
        return request;
    }
    static const CommandTable table = fullCommandTable();
    const QString action = arguments.first();
    const QString control = QStringLiteral("sim_") + action;
    QJsonObject request{{QStringLiteral("cmd"), table.find(control) ? control : action}};
    for (int i = 1; i < arguments.size(); ++i) {
        const int eq = arguments[i].indexOf(QLatin1Char('='));
        if (eq <= 0) {
            if (error)
                *error = QStringLiteral("expected KEY=VALUE, got ") + arguments[i];
            return std::nullopt;
        }
        request.insert(arguments[i].left(eq), valueOf(arguments[i].mid(eq + 1)));
    }
    return request;
}

CliResult runControlCli(const QStringList& arguments, const Paths& paths)
{
    QStringList rest = arguments;
    QString socket = paths.daemonSocket();
    if (rest.size() >= 2 && rest.first() == QLatin1String("--socket")) {
        socket = rest.at(1);
        rest = rest.mid(2);
    }
    QString error;
    const auto request = controlRequest(rest, &error);
    if (!request)
        return CliResult{{}, QStringLiteral("vantrel-sim ctl: ") + error + QLatin1Char('\n'), 64};
    const daemonserver::RawReply reply = daemonserver::rawExchange(socket, json::compact(*request));
    if (!reply.connected)
        return CliResult{{}, QStringLiteral("vantrel-sim ctl: no daemon answers on %1\n").arg(socket), 2};
    const auto object = json::parseObject(reply.bytes);
    if (!object)
        return CliResult{QString::fromUtf8(reply.bytes) + QLatin1Char('\n'),
                         QStringLiteral("vantrel-sim ctl: the reply is not a JSON object\n"), 1};
    return CliResult{QString::fromUtf8(QJsonDocument(*object).toJson(QJsonDocument::Indented)),
                     {},
                     json::isOkStatus(*object) ? 0 : 1};
}

} // namespace vantrel::sim
