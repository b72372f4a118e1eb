#include "node/power/SysfsAttribute.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/Log.h"
#include "platform/linux/PseudoFile.h"

namespace vantrel::node {

QString writeSysfsFile(const QString& path, const QByteArray& value)
{
    const QByteArray encoded = path.toLocal8Bit();
    const int fd = ::open(encoded.constData(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    qsizetype done = 0;
    QString error;
    while (done < value.size()) {
        const ssize_t n = ::write(fd, value.constData() + done, static_cast<size_t>(value.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            // The kernel rejects a value the driver does not accept with EINVAL here.
            error = n < 0 ? QString::fromLocal8Bit(std::strerror(errno)) : QStringLiteral("short write");
            break;
        }
        done += n;
    }
    if (::close(fd) != 0 && error.isEmpty())
        error = QString::fromLocal8Bit(std::strerror(errno));
    return error;
}

std::optional<QString> readSysfsText(const QString& path) { return linuxfs::readTrimmedText(path); }

std::optional<int> readSysfsInt(const QString& path)
{
    const auto text = readSysfsText(path);
    if (!text)
        return std::nullopt;
    bool ok = false;
    const int value = text->toInt(&ok);
    return ok ? std::optional(value) : std::nullopt;
}

bool sysfsWritable(const QString& path)
{
    struct stat st { };
    const QByteArray encoded = path.toLocal8Bit();
    if (::stat(encoded.constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
}

SysfsWriteOutcome writeAndReadBack(const SysfsWriter& writer, const QString& component, const QString& path,
                                   const QString& value)
{
    SysfsWriteOutcome outcome;
    outcome.error = writer(path, value.toUtf8());
    outcome.readBack = readSysfsText(path);
    const QString readBack
        = outcome.readBack ? QLatin1Char('"') + *outcome.readBack + QLatin1Char('"') : QStringLiteral("nothing");
    if (outcome.written())
        logLine(QStringLiteral("%1: wrote \"%2\" to %3; read back %4").arg(component, value, path, readBack));
    else
        logLine(QStringLiteral("%1: writing \"%2\" to %3 failed: %4; read back %5")
                    .arg(component, value, path, outcome.error, readBack));
    return outcome;
}

} // namespace vantrel::node
