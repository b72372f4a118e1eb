#include "app/TerminationSignalWatcher.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <vector>

#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>

#include "base/Log.h"

namespace vantrel {
namespace {

// The write end the handler uses; -1 while no watcher exists.
std::atomic<int> handlerFd{-1};

extern "C" void writeSignalNumber(int signalNumber)
{
    const int savedErrno = errno;
    const int fd = handlerFd.load();
    if (fd >= 0) {
        const unsigned char byte = static_cast<unsigned char>(signalNumber);
        // Non-blocking: when the pair is full, quitting is already on its way.
        [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
    }
    errno = savedErrno;
}

} // namespace

struct TerminationSignalWatcher::Previous {
    std::vector<std::pair<int, struct sigaction>> actions;
};

TerminationSignalWatcher::TerminationSignalWatcher(std::initializer_list<int> signalNumbers, QObject* parent)
    : QObject(parent)
    , previous_(std::make_unique<Previous>())
{
    if (handlerFd.load() >= 0) {
        logLine(QStringLiteral("Vantrel: termination signals are already watched"));
        return;
    }
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, fds_) != 0) {
        logLine(QStringLiteral("Vantrel: cannot watch termination signals: ")
                + QString::fromLocal8Bit(strerror(errno)));
        fds_[0] = fds_[1] = -1;
        return;
    }
    handlerFd = fds_[1];
    notifier_ = new QSocketNotifier(fds_[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &TerminationSignalWatcher::readPending);

    struct sigaction action { };
    action.sa_handler = writeSignalNumber;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signalNumber : signalNumbers) {
        struct sigaction old { };
        if (::sigaction(signalNumber, &action, &old) != 0) {
            logLine(QStringLiteral("Vantrel: cannot handle ") + signalName(signalNumber));
            restore();
            return;
        }
        previous_->actions.emplace_back(signalNumber, old);
    }
    active_ = true;
}

TerminationSignalWatcher::~TerminationSignalWatcher() { restore(); }

void TerminationSignalWatcher::restore()
{
    for (const auto& [signalNumber, old] : previous_->actions)
        ::sigaction(signalNumber, &old, nullptr);
    previous_->actions.clear();
    if (fds_[1] >= 0 && handlerFd.load() == fds_[1])
        handlerFd = -1;
    delete notifier_;
    notifier_ = nullptr;
    for (int& fd : fds_) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
    active_ = false;
}

void TerminationSignalWatcher::readPending()
{
    unsigned char buffer[16];
    ssize_t count = 0;
    while ((count = ::read(fds_[0], buffer, sizeof buffer)) > 0) {
        for (ssize_t i = 0; i < count; ++i)
            Q_EMIT received(buffer[i]);
    }
}

QString TerminationSignalWatcher::signalName(int signalNumber)
{
    switch (signalNumber) {
    case SIGTERM:
        return QStringLiteral("SIGTERM");
    case SIGINT:
        return QStringLiteral("SIGINT");
    case SIGHUP:
        return QStringLiteral("SIGHUP");
    default:
        return QStringLiteral("signal %1").arg(signalNumber);
    }
}

} // namespace vantrel
