#include "base/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace vantrel {

bool writeFileAtomically(const QString& path, const QByteArray& data,
                         std::optional<QFileDevice::Permissions> permissions, QString* error)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    if (permissions)
        file.setPermissions(*permissions);
    // QSaveFile buffers small writes and its commit() does not notice when writing that buffer
    // out fails (a full disk): it would rename an empty or cut temporary file over the good one.
    // Writing the buffer out here first catches that and keeps the previous file.
    if (file.write(data) != data.size() || !file.flush()) {
        if (error)
            *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    if (permissions)
        QFile::setPermissions(path, *permissions);
    return true;
}

std::optional<QByteArray> readFile(const QString& path, qint64 maxBytes)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    if (f.size() > maxBytes)
        return std::nullopt;
    return f.readAll();
}

} // namespace vantrel
