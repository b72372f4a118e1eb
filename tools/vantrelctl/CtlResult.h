#pragma once
// What one vantrelctl command produced: its exit code, its plain-words lines, its JSON fields,
// and the message for standard error when it did not succeed.
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QTextStream>

namespace vantrel {

class CtlTransport;

struct CtlResult {
    // Exit codes, stable for scripts.
    enum Exit {
        Ok = 0,
        DaemonRefused = 1,
        Usage = 2,
        NoReply = 3
    };

    int exitCode = Ok;
    QStringList lines;
    QJsonObject fields;
    QString message;
    QString code; // the daemon's refusal code

    static CtlResult usage(const QString& message);
    static CtlResult noReply(const QString& socketPath);
    // A reply whose "status" is not "ok": its "code" (else its status) is kept and printed.
    static CtlResult refused(const QJsonObject& reply);

    // Plain words (or, with json, one object with "command", "ok", "exit_code", "code",
    // "error", "request", "reply" and the command's fields) on out; the message on err.
    void print(const QString& command, bool json, const CtlTransport* transport, QTextStream& out,
               QTextStream& err) const;
};

} // namespace vantrel
