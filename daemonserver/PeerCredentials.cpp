#include "daemonserver/PeerCredentials.h"

#include <sys/socket.h>

namespace vantrel::daemonserver {

PeerCredentials peerCredentials(int fd)
{
    ucred credentials{};
    socklen_t length = sizeof credentials;
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0 || length != sizeof credentials)
        return {};
    return PeerCredentials{true, credentials.pid, credentials.uid, credentials.gid};
}

} // namespace vantrel::daemonserver
