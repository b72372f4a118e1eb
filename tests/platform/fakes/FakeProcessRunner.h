#pragma once
// A process runner for tests: hands back scripted results and records every invocation.
#include <deque>
#include <functional>
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
        if (handler_)
            return handler_(program, arguments);
        if (!queued_.empty()) {
            ProcessResult r = queued_.front();
            queued_.pop_front();
            return r;
        }
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
    // The next run answers with result; later runs fall back to the standing answer.
    void enqueue(ProcessResult result)
    {
        std::lock_guard lock(mutex_);
        queued_.push_back(std::move(result));
    }
    void setHandler(std::function<ProcessResult(const QString&, const QStringList&)> handler)
    {
        std::lock_guard lock(mutex_);
        handler_ = std::move(handler);
    }
    std::vector<Invocation> invocations() const
    {
        std::lock_guard lock(mutex_);
        return invocations_;
    }

private:
    mutable std::mutex mutex_;
    ProcessResult standing_;
    std::deque<ProcessResult> queued_;
    std::function<ProcessResult(const QString&, const QStringList&)> handler_;
    std::vector<Invocation> invocations_;
};

} // namespace vantrel::test
