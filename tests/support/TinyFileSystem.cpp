#include "support/TinyFileSystem.h"

#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include <QFile>

namespace vantrel::test {

namespace {

const char* const kFiller = "/.filler";

} // namespace

const char* describe(WriteFault fault) { return fault == WriteFault::readOnly ? "read-only" : "full"; }

TinyFileSystem::TinyFileSystem(int kilobytes)
{
    if (!dir_.isValid() || ::geteuid() != 0)
        return;
    const QByteArray options = "size=" + QByteArray::number(kilobytes) + "k,mode=0755";
    mounted_ = ::mount("tmpfs", QFile::encodeName(dir_.path()).constData(), "tmpfs", 0, options.constData()) == 0;
}

TinyFileSystem::~TinyFileSystem()
{
    if (mounted_)
        ::umount2(QFile::encodeName(dir_.path()).constData(), MNT_DETACH);
}

void TinyFileSystem::fill()
{
    const int fd = ::open(QFile::encodeName(dir_.path() + QLatin1String(kFiller)).constData(),
                          O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0)
        return;
    // Big writes first, then single bytes for the last partial block.
    std::vector<char> block(4096, 'x');
    for (std::size_t size : {std::size_t(4096), std::size_t(1)})
        for (;;) {
            const ssize_t n = ::write(fd, block.data(), size);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
        }
    ::close(fd);
}

void TinyFileSystem::unfill() { QFile::remove(dir_.path() + QLatin1String(kFiller)); }

bool TinyFileSystem::setReadOnly(bool readOnly)
{
    if (!mounted_)
        return false;
    const unsigned long flags = MS_REMOUNT | (readOnly ? MS_RDONLY : 0);
    return ::mount("tmpfs", QFile::encodeName(dir_.path()).constData(), "tmpfs", flags, nullptr) == 0;
}

bool TinyFileSystem::impose(WriteFault fault)
{
    if (fault == WriteFault::readOnly)
        return setReadOnly(true);
    fill();
    return mounted_;
}

bool TinyFileSystem::lift(WriteFault fault)
{
    const bool writable = fault != WriteFault::readOnly || setReadOnly(false);
    unfill();
    return writable;
}

} // namespace vantrel::test
