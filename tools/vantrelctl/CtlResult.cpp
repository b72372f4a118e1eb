#include "tools/vantrelctl/CtlResult.h"

#include <QJsonDocument>

#include "base/JsonAccess.h"
#include "tools/vantrelctl/CtlTransport.h"

namespace vantrel {

CtlResult CtlResult::usage(const QString& message)
{
    CtlResult r;
    r.exitCode = Usage;
    r.message = message;
    return r;
}

CtlResult CtlResult::noReply(const QString& socketPath)
{
    CtlResult r;
    r.exitCode = NoReply;
    r.message = QStringLiteral("no reply from the daemon at ") + socketPath;
    return r;
}

CtlResult CtlResult::refused(const QJsonObject& reply)
{
    CtlResult r;
    r.exitCode = DaemonRefused;
    const QString status = json::string(reply, QStringLiteral("status")).value_or(QStringLiteral("(none)"));
    r.code = json::string(reply, QStringLiteral("code")).value_or(status);
    r.message = QStringLiteral("the daemon refused: ") + r.code;
    if (const auto text = json::string(reply, QStringLiteral("message")))
        r.message += QStringLiteral(" (") + *text + QLatin1Char(')');
    return r;
}

void CtlResult::print(const QString& command, bool json, const CtlTransport* transport, QTextStream& out,
                      QTextStream& err) const
{
    if (!message.isEmpty())
        err << "vantrelctl: " << message << '\n';
    if (!json) {
        for (const QString& line : lines)
            out << line << '\n';
        return;
    }
    QJsonObject o = fields;
    o.insert(QStringLiteral("command"), command);
    o.insert(QStringLiteral("ok"), exitCode == Ok);
    o.insert(QStringLiteral("exit_code"), exitCode);
    o.insert(QStringLiteral("code"), code.isEmpty() ? QJsonValue() : QJsonValue(code));
    o.insert(QStringLiteral("error"), message.isEmpty() ? QJsonValue() : QJsonValue(message));
    QJsonValue request;
    QJsonValue reply;
    if (transport && !transport->exchanges().empty()) {
        request = transport->exchanges().back().request;
        if (const auto& r = transport->exchanges().back().reply)
            reply = *r;
    }
    o.insert(QStringLiteral("request"), request);
    o.insert(QStringLiteral("reply"), reply);
    out << QString::fromUtf8(json::compact(o)) << '\n';
}

} // namespace vantrel
