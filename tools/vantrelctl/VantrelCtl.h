#pragma once
// vantrelctl: one command per run through the daemon client, printed in plain words or JSON.
#include <QStringList>
#include <QTextStream>

namespace vantrel {

class VantrelCtl {
public:
    // args without the program name; results go to out, messages (and, with --verbose, the
    // exchange log) to err. Returns the exit code of CtlResult::Exit.
    static int run(const QStringList& args, QTextStream& out, QTextStream& err);
};

} // namespace vantrel
