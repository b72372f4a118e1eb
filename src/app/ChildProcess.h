#pragma once
// Runs a program to its end, blocking the calling thread, with standard output and
// standard error captured together. A program that does not finish in time is killed.
#include <chrono>

#include <QString>
#include <QStringList>

namespace vantrel {

struct ChildProcessResult {
    // A launch failure reads as status 1 with the reason as output; a time-out as status -1.
    int exitStatus = 1;
    QString output;
};

ChildProcessResult runChildProcess(const QString& program, const QStringList& arguments,
                                   std::chrono::milliseconds timeout);

} // namespace vantrel
