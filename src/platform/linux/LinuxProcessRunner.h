#pragma once
// Runs helper programs with QProcess from whichever thread asks, with limits so that a hung
// or runaway tool cannot stall its caller: past the time limit or the output limit the
// program is killed and the run counts as not launched.
#include <chrono>

#include "platform/ProcessRunner.h"

namespace vantrel {

class LinuxProcessRunner final : public ProcessRunner {
public:
    explicit LinuxProcessRunner(std::chrono::milliseconds timeLimit = std::chrono::seconds(10),
                                qint64 outputLimitBytes = 4 * 1024 * 1024);
    ProcessResult run(const QString& program, const QStringList& arguments) override;
    std::unique_ptr<RunningProcess> launch(const QString& program, const QStringList& arguments,
                                           QString* error) override;

private:
    std::chrono::milliseconds timeLimit_;
    qint64 outputLimitBytes_;
};

} // namespace vantrel
