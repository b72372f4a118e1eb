#pragma once
// Small file helpers the application tests share.
#include <sys/stat.h>

#include <QFile>
#include <QString>

namespace vantrel::test {

inline QString readText(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// Permission bits of path (0 when it does not exist).
inline mode_t modeOf(const QString& path)
{
    struct stat info { };
    ::stat(QFile::encodeName(path).constData(), &info);
    return info.st_mode & 07777;
}

inline void makeExecutable(const QString& path)
{
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

} // namespace vantrel::test
