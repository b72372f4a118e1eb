#include "platform/linux/LinuxProcessRunner.h"

#include <QElapsedTimer>
#include <QProcess>

#include "platform/linux/LinuxSpawnedProcess.h"

namespace vantrel {

LinuxProcessRunner::LinuxProcessRunner(std::chrono::milliseconds timeLimit, qint64 outputLimitBytes)
    : timeLimit_(timeLimit)
    , outputLimitBytes_(outputLimitBytes)
{ }

ProcessResult LinuxProcessRunner::run(const QString& program, const QStringList& arguments)
{
    ProcessResult result;
    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer elapsed;
    elapsed.start();
    process.start(program, arguments, QIODevice::ReadOnly);
    if (!process.waitForStarted(static_cast<int>(timeLimit_.count())))
        return result;

    const auto stop = [&process] {
        process.kill();
        process.waitForFinished(1000);
    };
    QByteArray output;
    for (;;) {
        output += process.readAllStandardOutput();
        if (output.size() > outputLimitBytes_) {
            stop();
            return result;
        }
        if (process.state() == QProcess::NotRunning)
            break;
        const qint64 remaining = timeLimit_.count() - elapsed.elapsed();
        if (remaining <= 0) {
            stop();
            return result;
        }
        if (!process.waitForReadyRead(static_cast<int>(remaining)) && process.state() != QProcess::NotRunning) {
            // Timed out, or the output was closed while the program runs on: wait for its exit
            // in what is left of the limit instead of polling a channel that stays silent.
            const qint64 left = timeLimit_.count() - elapsed.elapsed();
            if (left <= 0 || !process.waitForFinished(static_cast<int>(left))) {
                stop();
                return result;
            }
        }
    }
    output += process.readAllStandardOutput();
    if (output.size() > outputLimitBytes_)
        return result;
    result.launched = true;
    result.exitStatus = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.standardOutput = std::move(output);
    return result;
}

std::unique_ptr<RunningProcess> LinuxProcessRunner::launch(const QString& program, const QStringList& arguments,
                                                           QString* error)
{
    return LinuxSpawnedProcess::spawn(program, arguments, error);
}

} // namespace vantrel
