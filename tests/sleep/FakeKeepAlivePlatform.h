#pragma once
// Scripted power assertions, screen lock, lid and program runs for the keep-awake controller.
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "platform/LidState.h"
#include "platform/PowerAssertions.h"
#include "platform/ProcessRunner.h"
#include "platform/ScreenLock.h"

namespace vantrel::test {

class FakePowerAssertions final : public PowerAssertions {
public:
    struct Held {
        QString type;
        QString name;
    };
    std::map<PowerAssertionId, Held> held;
    int created = 0;
    int releases = 0;
    bool failCreation = false;
    std::vector<bool> lidSwitchCalls;
    bool lidSwitchHeld = false;

    std::optional<PowerAssertionId> create(const QString& type, const QString& name) override
    {
        if (failCreation)
            return std::nullopt;
        const PowerAssertionId id = nextId_++;
        held[id] = Held{type, name};
        ++created;
        return id;
    }
    bool release(PowerAssertionId id) override
    {
        ++releases;
        return held.erase(id) == 1;
    }
    bool holdLidSwitch(bool h) override
    {
        lidSwitchCalls.push_back(h);
        lidSwitchHeld = h;
        return true;
    }
    int count(const QString& type, const QString& name) const
    {
        int n = 0;
        for (const auto& [id, a] : held)
            n += a.type == type && a.name == name ? 1 : 0;
        return n;
    }

private:
    PowerAssertionId nextId_ = 41;
};

class FakeScreenLock final : public ScreenLock {
public:
    int requests = 0;
    ScreenLockResult answer{ScreenLockResult::Status::Requested, {}};
    ScreenLockResult lockScreen() override
    {
        ++requests;
        return answer;
    }
};

class ScriptedLid final : public LidState {
public:
    std::optional<bool> closed = false;
    mutable int reads = 0;
    std::optional<bool> lidClosed() const override
    {
        ++reads;
        return closed;
    }
};

// A program that runs until the test says it has ended.
class ScriptedProcess final : public RunningProcess {
public:
    struct Script {
        bool running = true;
        int exitStatus = 0;
        QByteArray standardError;
        int polls = 0;
        bool terminated = false;
        bool destroyed = false;
    };
    explicit ScriptedProcess(std::shared_ptr<Script> script)
        : script_(std::move(script))
    { }
    ~ScriptedProcess() override { script_->destroyed = true; }
    bool isRunning() override
    {
        ++script_->polls;
        return script_->running;
    }
    void terminate() override { script_->terminated = true; }
    int exitStatus() const override { return script_->exitStatus; }
    QByteArray readStandardError() override { return script_->standardError; }

private:
    std::shared_ptr<Script> script_;
};

class ScriptedRunner final : public ProcessRunner {
public:
    struct Launch {
        QString program;
        QStringList arguments;
    };
    std::vector<Launch> launches;
    std::shared_ptr<ScriptedProcess::Script> next = std::make_shared<ScriptedProcess::Script>();
    QString launchError; // non-empty: launching fails with it

    ProcessResult run(const QString&, const QStringList&) override { return {}; }
    std::unique_ptr<RunningProcess> launch(const QString& program, const QStringList& arguments,
                                           QString* error) override
    {
        launches.push_back({program, arguments});
        if (!launchError.isEmpty()) {
            *error = launchError;
            return nullptr;
        }
        return std::make_unique<ScriptedProcess>(next);
    }
};

} // namespace vantrel::test
