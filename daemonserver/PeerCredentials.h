#pragma once
// Who is on the other end of a connection, as the kernel reports it (SO_PEERCRED).
#include <sys/types.h>

namespace vantrel::daemonserver {

struct PeerCredentials {
    bool known = false; // false when the socket could not tell
    pid_t pid = 0;
    uid_t uid = static_cast<uid_t>(-1);
    gid_t gid = static_cast<gid_t>(-1);
};

// The credentials of the process connected on fd.
PeerCredentials peerCredentials(int fd);

} // namespace vantrel::daemonserver
