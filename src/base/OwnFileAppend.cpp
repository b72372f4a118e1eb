#include "base/OwnFileAppend.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include <QFile>

namespace vantrel {

bool appendToOwnFile(const QString& path, const QByteArray& bytes)
{
    // O_NOFOLLOW refuses a link as the last component; O_NONBLOCK keeps a planted FIFO from
    // blocking the open until someone reads it.
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0600);
    if (fd < 0)
        return false;
    struct stat info { };
    bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid();
    qsizetype written = 0;
    while (ok && written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + written, static_cast<size_t>(bytes.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            ok = false;
        else
            written += n;
    }
    ::close(fd);
    return ok;
}

} // namespace vantrel
