#include "FuzzSupport.h"

#include <cstdlib>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtGlobal>

#include "base/Log.h"

namespace vantrel::fuzz {

void quietLogging()
{
    setLogSink([](const QString&) {});
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
}

QString scratchDirectory()
{
    static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/vantrel-fuzz-XXXXXX"));
    if (!dir.isValid())
        std::abort();
    return dir.path();
}

Paths scratchPaths() { return Paths::underRoot(scratchDirectory() + QStringLiteral("/root")); }

void writeInput(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        std::abort();
    if (file.write(bytes) != bytes.size())
        std::abort();
}

} // namespace vantrel::fuzz
