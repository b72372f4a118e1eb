#pragma once
// A process runner for tests: hands back scripted results and records every invocation.
#include <mutex>
#include <vector>

#include "platform/ProcessRunner.h"

namespace vantrel::test {

class FakeProcessRunner final : public ProcessRunner {
public:
    struct Invocation {
        QString program;
        QStringList arguments;
    };

    ProcessResult run(const QString& program, const QStringList& arguments) override
    {
        std::lock_guard lock(mutex_);
        invocations_.push_back({program, arguments});
        return standing_;
    }

    // Every run prints output and exits with status.
    void setOutput(const QByteArray& output, int exitStatus = 0)
    {
        std::lock_guard lock(mutex_);
        standing_ = ProcessResult{true, exitStatus, output};
    }
    void setLaunchFailure()
    {
        std::lock_guard lock(mutex_);
        standing_ = ProcessResult{};
    }
    std::vector<Invocation> invocations() const
    {
        std::lock_guard lock(mutex_);
        return invocations_;
    }

private:
    mutable std::mutex mutex_;
    ProcessResult standing_;
    std::vector<Invocation> invocations_;
};

} // namespace vantrel::test
