// vantrelctl: talks to the Vantrel daemon from the command line.
#include <cstdio>

#include <QCoreApplication>
#include <QTextStream>

#include "tools/vantrelctl/VantrelCtl.h"

int main(int argc, char** argv)
{
    // The application object gives the dispatch layer a main thread; its loop is never run.
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    const int code = vantrel::VantrelCtl::run(args, out, err);
    out.flush();
    err.flush();
    return code;
}
