#include "daemonserver/DaemonServer.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "base/JsonAccess.h"
#include "daemonserver/Replies.h"
#include "daemonserver/RequestFraming.h"

namespace vantrel::daemonserver {

namespace {

bool fillAddress(const QString& path, sockaddr_un& addr)
{
    const QByteArray bytes = QFile::encodeName(path);
    std::memset(&addr, 0, sizeof addr);
    addr.sun_family = AF_UNIX;
    if (bytes.size() >= static_cast<qsizetype>(sizeof addr.sun_path))
        return false;
    std::memcpy(addr.sun_path, bytes.constData(), static_cast<std::size_t>(bytes.size()));
    return true;
}

// Whether a daemon answers on path right now.
bool someoneListens(const sockaddr_un& addr)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const bool live = ::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0;
    ::close(fd);
    return live;
}

bool sendAll(int fd, const QByteArray& bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n
            = ::send(fd, bytes.constData() + done, static_cast<std::size_t>(bytes.size() - done), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

} // namespace

DaemonServer::DaemonServer(RequestHandler handler, QString socketPath, int requestTimeoutMs, unsigned socketMode)
    : handler_(std::move(handler))
    , socketPath_(std::move(socketPath))
    , requestTimeoutMs_(requestTimeoutMs)
    , socketMode_(socketMode)
{ }

DaemonServer::~DaemonServer() { stop(); }

bool DaemonServer::start(QString* error)
{
    const auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    sockaddr_un addr{};
    if (!fillAddress(socketPath_, addr))
        return fail(QStringLiteral("socket path too long: ") + socketPath_);
    QDir().mkpath(QFileInfo(socketPath_).absolutePath());
    if (QFileInfo::exists(socketPath_)) {
        if (someoneListens(addr))
            return fail(QStringLiteral("another daemon is already listening on ") + socketPath_);
        ::unlink(addr.sun_path);
    }
    listenFd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listenFd_ < 0)
        return fail(QStringLiteral("cannot create a socket: ") + QString::fromLocal8Bit(std::strerror(errno)));
    if (::bind(listenFd_, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0
        || ::listen(listenFd_, 128) != 0) {
        const QString why = QString::fromLocal8Bit(std::strerror(errno));
        ::close(listenFd_);
        listenFd_ = -1;
        return fail(QStringLiteral("cannot listen on %1: %2").arg(socketPath_, why));
    }
    ::chmod(addr.sun_path, socketMode_);
    if (::pipe2(wakePipe_, O_CLOEXEC) != 0) {
        ::close(listenFd_);
        listenFd_ = -1;
        return fail(QStringLiteral("cannot create the wake-up pipe"));
    }
    stopping_ = false;
    acceptor_ = std::thread([this] { acceptLoop(); });
    return true;
}

void DaemonServer::stop()
{
    if (listenFd_ < 0)
        return;
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    const char byte = 0;
    (void)!::write(wakePipe_[1], &byte, 1);
    if (acceptor_.joinable())
        acceptor_.join();
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return active_.load() == 0; });
    }
    ::close(listenFd_);
    ::close(wakePipe_[0]);
    ::close(wakePipe_[1]);
    listenFd_ = -1;
    ::unlink(QFile::encodeName(socketPath_).constData());
}

void DaemonServer::acceptLoop()
{
    pollfd fds[2] = {{listenFd_, POLLIN, 0}, {wakePipe_[0], POLLIN, 0}};
    while (!stopping_) {
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (fds[1].revents != 0)
            break;
        if ((fds[0].revents & POLLIN) == 0)
            continue;
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        if (active_.load() >= kMaxConnections) {
            sendAll(
                fd,
                json::compact(errorReply(QStringLiteral("ERR_BUSY"), QStringLiteral("Too many connections at once."))));
            ::close(fd);
            continue;
        }
        // A client that stops reading its reply would otherwise hold this connection (and
        // stop()) forever: a send that makes no progress for the time-out gives up.
        const timeval sendTimeout{requestTimeoutMs_ / 1000, (requestTimeoutMs_ % 1000) * 1000};
        ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &sendTimeout, sizeof sendTimeout);
        ++active_;
        std::thread([this, fd] {
            serve(fd);
            ::close(fd);
            std::lock_guard lock(mutex_);
            --active_;
            changed_.notify_all();
        }).detach();
    }
}

bool DaemonServer::pause(int ms)
{
    if (ms <= 0)
        return !stopping_;
    std::unique_lock lock(mutex_);
    return !changed_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return stopping_.load(); });
}

void DaemonServer::serve(int fd)
{
    QByteArray request;
    char buffer[8192];
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(requestTimeoutMs_);
    FrameStatus frame = FrameStatus::Incomplete;
    while (frame == FrameStatus::Incomplete && request.size() <= kMaxRequestBytes) {
        const auto left
            = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now())
                  .count();
        if (left <= 0)
            break;
        pollfd p[2] = {{fd, POLLIN, 0}, {wakePipe_[0], POLLIN, 0}};
        const int ready = ::poll(p, 2, static_cast<int>(left));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0 || p[1].revents != 0)
            break;
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        request.append(buffer, n);
        frame = frameStatus(request);
    }
    if (request.isEmpty())
        return; // the client went away without asking anything
    ShapedReply reply;
    if (request.size() > kMaxRequestBytes)
        reply = plainReply(
            errorReply(QStringLiteral("ERR_REQUEST_TOO_LARGE"), QStringLiteral("The request is larger than 1 MiB.")));
    else
        reply = handler_(request, peerCredentials(fd));
    if (!pause(reply.delayMs) || reply.closeWithoutReply)
        return;
    for (std::size_t i = 0; i < reply.segments.size(); ++i) {
        if (i > 0 && !pause(reply.pauseMs))
            return;
        if (!sendAll(fd, reply.segments[i]))
            return;
    }
    ::shutdown(fd, SHUT_WR);
}

} // namespace vantrel::daemonserver
