#pragma once
// The commands of vantrelctl: one request through the daemon client per run.
#include <QStringList>
#include <QTextStream>

namespace vantrel {

class VantrelCtl {
public:
    // Exit codes, stable for scripts.
    enum Exit {
        Ok = 0,
        DaemonRefused = 1,
        Usage = 2,
        NoReply = 3
    };

    // args without the program name; replies go to out, messages and exchange logs to err.
    static int run(const QStringList& args, QTextStream& out, QTextStream& err);
    static QString usage();
};

} // namespace vantrel
