#include "support/TempDir.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>

namespace vantrel::test {

TempDir::TempDir()
    : dir_(QDir::tempPath() + QStringLiteral("/vantrel-test-XXXXXX"))
{ }

QString TempDir::write(const QString& relative, const QByteArray& content) const
{
    const QString path = file(relative);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(content);
    return path;
}

QString builtBinary(const QString& name)
{
    const QString build = QProcessEnvironment::systemEnvironment().value(QStringLiteral("VANTREL_BUILD_DIR"));
    if (!build.isEmpty())
        return build + QStringLiteral("/bin/") + name;
    // Test programs are built into the same bin/ folder as the programs they run.
    return QCoreApplication::applicationDirPath() + QLatin1Char('/') + name;
}

} // namespace vantrel::test
