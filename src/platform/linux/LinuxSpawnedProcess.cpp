#include "platform/linux/LinuxSpawnedProcess.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace vantrel {
namespace {

// A program that prints without end is not allowed to fill memory.
constexpr qsizetype kMaxStandardError = 64 * 1024;

} // namespace

std::unique_ptr<LinuxSpawnedProcess> LinuxSpawnedProcess::spawn(const QString& program, const QStringList& arguments,
                                                                QString* error)
{
    const auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return nullptr;
    };
    // Only our end is non-blocking: the program must be able to wait on a full pipe.
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return fail(QString::fromLocal8Bit(std::strerror(errno)));
    fcntl(fds[0], F_SETFL, fcntl(fds[0], F_GETFL) | O_NONBLOCK);

    std::vector<QByteArray> storage;
    storage.push_back(program.toLocal8Bit());
    for (const QString& a : arguments)
        storage.push_back(a.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& a : storage)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 2);
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, storage.front().constData(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    if (rc != 0) {
        ::close(fds[0]);
        return fail(QString::fromLocal8Bit(std::strerror(rc)));
    }
    return std::unique_ptr<LinuxSpawnedProcess>(new LinuxSpawnedProcess(pid, fds[0]));
}

LinuxSpawnedProcess::LinuxSpawnedProcess(pid_t pid, int errorFd)
    : pid_(pid)
    , errorFd_(errorFd)
{ }

LinuxSpawnedProcess::~LinuxSpawnedProcess()
{
    if (!exited_ && !reap(WNOHANG)) {
        ::kill(pid_, SIGKILL);
        reap(0);
    }
    ::close(errorFd_);
}

bool LinuxSpawnedProcess::reap(int options)
{
    if (exited_)
        return true;
    int status = 0;
    pid_t r;
    do {
        r = ::waitpid(pid_, &status, options);
    } while (r < 0 && errno == EINTR);
    if (r == 0)
        return false;
    exited_ = true;
    exitStatus_ = r > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return true;
}

void LinuxSpawnedProcess::drain()
{
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(errorFd_, buffer, sizeof buffer);
        if (n > 0) {
            if (standardError_.size() < kMaxStandardError)
                standardError_.append(buffer, std::min<qsizetype>(n, kMaxStandardError - standardError_.size()));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        return; // end of file, or nothing more for now
    }
}

bool LinuxSpawnedProcess::isRunning()
{
    drain();
    return !reap(WNOHANG);
}

void LinuxSpawnedProcess::terminate()
{
    if (!exited_)
        ::kill(pid_, SIGTERM);
}

QByteArray LinuxSpawnedProcess::readStandardError()
{
    drain();
    return standardError_;
}

} // namespace vantrel
