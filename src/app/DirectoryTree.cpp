#include "app/DirectoryTree.h"

#include <cerrno>
#include <cstring>

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace vantrel {

bool makeDirectoryTree(const QString& path, mode_t mode, QString* error)
{
    const QString clean = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    if (QFileInfo(clean).isDir())
        return true;
    const QString parent = QFileInfo(clean).path();
    if (parent != clean && !makeDirectoryTree(parent, mode, error))
        return false;
    const QByteArray native = QFile::encodeName(clean);
    if (::mkdir(native.constData(), mode) != 0 && errno != EEXIST) {
        if (error)
            *error = QStringLiteral("cannot create %1: %2").arg(clean, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    if (!QFileInfo(clean).isDir()) {
        if (error)
            *error = QStringLiteral("cannot create %1: something else is in the way").arg(clean);
        return false;
    }
    // The umask may have taken bits away.
    ::chmod(native.constData(), mode);
    return true;
}

} // namespace vantrel
