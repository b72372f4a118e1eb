#include "platform/linux/LinuxWorkspace.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace vantrel {

LinuxWorkspace::LinuxWorkspace(QString opener)
    : opener_(std::move(opener))
{ }

bool LinuxWorkspace::openUrl(const QUrl& url)
{
    if (!url.isValid() || url.scheme().isEmpty())
        return false;
    const QString program = QStandardPaths::findExecutable(opener_);
    if (program.isEmpty())
        return false;
    return QProcess::startDetached(program, {url.toString(QUrl::FullyEncoded)});
}

bool LinuxWorkspace::openApplication(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return false;
    if (info.isFile() && info.isExecutable())
        return QProcess::startDetached(info.absoluteFilePath(), {});
    return openUrl(QUrl::fromLocalFile(info.absoluteFilePath()));
}

} // namespace vantrel
