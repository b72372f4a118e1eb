#include "base/WriteFailureReason.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include <QFile>
#include <QFileInfo>

namespace vantrel {

WriteFailureReason writeFailureReasonFor(int error)
{
    switch (error) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return WriteFailureReason::DiskFull;
    case EACCES:
    case EPERM:
    case EROFS:
        return WriteFailureReason::NoPermission;
    default:
        return WriteFailureReason::Other;
    }
}

WriteFailureReason probeWriteFailure(const QString& filePath, qint64 bytes)
{
    const QFileInfo file(filePath);
    // A rewrite replaces the file, and a file the program may not write is not replaced.
    if (file.exists() && ::access(QFile::encodeName(file.absoluteFilePath()).constData(), W_OK) != 0)
        return writeFailureReasonFor(errno);
    // Missing folders would be created in the nearest one that exists.
    QString folder = file.absolutePath();
    while (!QFileInfo(folder).isDir() && folder != QLatin1String("/"))
        folder = QFileInfo(folder).absolutePath();

    QByteArray name = QFile::encodeName(folder + QStringLiteral("/.write-check-XXXXXX"));
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0)
        return writeFailureReasonFor(errno);
    WriteFailureReason reason = WriteFailureReason::Other;
    const std::vector<char> block(4096, '\n');
    for (qint64 left = std::max<qint64>(bytes, 1); left > 0;) {
        const ssize_t n = ::write(fd, block.data(), static_cast<size_t>(std::min<qint64>(left, 4096)));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            reason = n < 0 ? writeFailureReasonFor(errno) : WriteFailureReason::DiskFull;
            break;
        }
        left -= n;
    }
    if (reason == WriteFailureReason::Other && ::fsync(fd) != 0)
        reason = writeFailureReasonFor(errno);
    ::close(fd);
    ::unlink(name.constData());
    return reason;
}

QString describeWriteFailure(WriteFailureReason reason)
{
    switch (reason) {
    case WriteFailureReason::None:
        return QStringLiteral("no error");
    case WriteFailureReason::DiskFull:
        return QStringLiteral("the disk is full");
    case WriteFailureReason::NoPermission:
        return QStringLiteral("no permission");
    case WriteFailureReason::Other:
        break;
    }
    return QStringLiteral("an unexpected error");
}

} // namespace vantrel
