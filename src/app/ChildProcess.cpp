#include "app/ChildProcess.h"

#include <QProcess>

namespace vantrel {

ChildProcessResult runChildProcess(const QString& program, const QStringList& arguments,
                                   std::chrono::milliseconds timeout)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(program, arguments);
    if (!process.waitForStarted(static_cast<int>(timeout.count())))
        return {1, process.errorString()};
    if (!process.waitForFinished(static_cast<int>(timeout.count()))) {
        process.kill();
        process.waitForFinished(1000);
        return {-1, QString::fromUtf8(process.readAll()) + QStringLiteral("timed out: ") + program};
    }
    const QString output = QString::fromUtf8(process.readAll());
    if (process.exitStatus() == QProcess::CrashExit)
        return {-1, output};
    return {process.exitCode(), output};
}

} // namespace vantrel
