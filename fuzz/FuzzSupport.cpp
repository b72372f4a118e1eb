#include "FuzzSupport.h"

#include <cstdlib>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimeZone>
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

FileHarness& FileHarness::shared()
{
    static FileHarness harness;
    return harness;
}

FileHarness::FileHarness()
    : paths_(scratchPaths())
{ }

void FileHarness::place(const QByteArray& bytes, std::initializer_list<QString> files)
{
    // A moment shortly after the seeds' last samples.
    dispatch_.clock().setWallTime(QDateTime::fromSecsSinceEpoch(1'780'000'600, QTimeZone::utc()));
    for (const QString& file : files)
        writeInput(file, bytes);
}

} // namespace vantrel::fuzz
