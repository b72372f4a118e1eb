#pragma once
// A program started with posix_spawn: standard input and output on /dev/null, standard error
// into a non-blocking pipe drained on every poll (so a chatty program never stalls on a full
// pipe), the exit collected with waitpid. Usable from any one thread at a time.
#include <memory>

#include <sys/types.h>

#include "platform/ProcessRunner.h"

namespace vantrel {

class LinuxSpawnedProcess final : public RunningProcess {
public:
    // Nothing, with the reason in *error, when the program cannot be started.
    static std::unique_ptr<LinuxSpawnedProcess> spawn(const QString& program, const QStringList& arguments,
                                                      QString* error);
    ~LinuxSpawnedProcess() override;

    bool isRunning() override;
    void terminate() override;
    int exitStatus() const override { return exitStatus_; }
    QByteArray readStandardError() override;

private:
    LinuxSpawnedProcess(pid_t pid, int errorFd);
    void drain();
    bool reap(int options);

    pid_t pid_;
    int errorFd_;
    bool exited_ = false;
    int exitStatus_ = -1;
    QByteArray standardError_;
};

} // namespace vantrel
