#include "daemonserver/RawExchange.h"

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QFile>

namespace vantrel::daemonserver {

RawReply rawExchange(const QString& socketPath, const QByteArray& request, int timeoutMs)
{
    RawReply reply;
    const QByteArray path = QFile::encodeName(socketPath);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (path.size() >= static_cast<qsizetype>(sizeof addr.sun_path))
        return reply;
    std::memcpy(addr.sun_path, path.constData(), static_cast<std::size_t>(path.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return reply;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(fd);
        return reply;
    }
    reply.connected = true;
    if (::send(fd, request.constData(), static_cast<std::size_t>(request.size()), MSG_NOSIGNAL) != request.size()) {
        ::close(fd);
        return reply;
    }
    char buffer[8192];
    for (;;) {
        pollfd p{fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, timeoutMs);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready == 0) {
            reply.timedOut = true;
            break;
        }
        const ssize_t n = ready < 0 ? -1 : ::recv(fd, buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        reply.bytes.append(buffer, n);
        reply.chunks.emplace_back(buffer, n);
    }
    ::close(fd);
    return reply;
}

} // namespace vantrel::daemonserver
