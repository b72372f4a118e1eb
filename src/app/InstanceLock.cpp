#include "app/InstanceLock.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>

#include "app/DirectoryTree.h"

namespace vantrel {
namespace {

QString systemError(const char* what)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromLocal8Bit(std::strerror(errno)));
}

} // namespace

InstanceLock::InstanceLock(QString directory, QString fileName)
    : directory_(std::move(directory))
    , fileName_(std::move(fileName))
{ }

InstanceLock::~InstanceLock() { release(); }

QString InstanceLock::path() const { return directory_ + QLatin1Char('/') + fileName_; }

InstanceLock::Result InstanceLock::acquire()
{
    if (fd_ >= 0)
        return Result::Acquired;
    error_.clear();
    if (!makeDirectoryTree(directory_, 0700, &error_))
        return Result::Failed;

    const QByteArray file = QFile::encodeName(path());
    // Not through a symlink: the lock is then chmod-ed and held, and must be this file.
    const int fd = ::open(file.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, S_IRUSR | S_IWUSR);
    if (fd < 0) {
        error_ = systemError("open");
        return Result::Failed;
    }
    ::fchmod(fd, 0600);
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool held = errno == EWOULDBLOCK;
        error_ = systemError("flock");
        ::close(fd);
        return held ? Result::HeldElsewhere : Result::Failed;
    }
    fd_ = fd;
    return Result::Acquired;
}

void InstanceLock::release()
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

} // namespace vantrel
