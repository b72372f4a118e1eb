#pragma once
// Runs a helper program to completion and hands back what it printed. The seam through which
// the SMC tool, pmset-style commands and the system profiler are run, so tests can feed output.
#include <chrono>
#include <memory>

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

// A program started with launch(): its caller polls it, so waiting goes through the dispatch
// layer. Destroying it while the program runs kills the program.
class RunningProcess {
public:
    virtual ~RunningProcess() = default;
    virtual bool isRunning() = 0;
    // Asks the program to end (SIGTERM).
    virtual void terminate() = 0;
    // The exit status once it no longer runs; -1 when it was ended by a signal.
    virtual int exitStatus() const = 0;
    // What it wrote to standard error, up to now.
    virtual QByteArray readStandardError() = 0;
};

class ProcessRunner {
public:
    virtual ~ProcessRunner() = default;
    // Runs program with arguments, standard error discarded, and waits for it to exit.
    virtual ProcessResult run(const QString& program, const QStringList& arguments) = 0;
    // Starts program with standard output discarded and standard error kept, without waiting.
    // Nothing, with the reason in *error, when it cannot be started.
    virtual std::unique_ptr<RunningProcess> launch(const QString& program, const QStringList& arguments, QString* error)
    {
        (void)program;
        (void)arguments;
        if (error)
            *error = QStringLiteral("starting programs is not supported here");
        return nullptr;
    }
};

} // namespace vantrel
