#pragma once
// Runs a helper program to completion and hands back what it printed. The seam through which
// the SMC tool, pmset-style commands and the system profiler are run, so tests can feed output.
#include <chrono>

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace vantrel {

struct ProcessResult {
    // False when the program could not be started, or was stopped for running too long or
    // printing too much; nothing else of the result is meaningful then.
    bool launched = false;
    int exitStatus = -1;
    QByteArray standardOutput;
};

class ProcessRunner {
public:
    virtual ~ProcessRunner() = default;
    // Runs program with arguments, standard error discarded, and waits for it to exit.
    virtual ProcessResult run(const QString& program, const QStringList& arguments) = 0;
};

} // namespace vantrel
