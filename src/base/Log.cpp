#include "base/Log.h"

#include <cstdio>
#include <mutex>

#include <syslog.h>

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include "base/OwnFileAppend.h"

namespace vantrel {
namespace {

std::mutex& logMutex()
{
    static std::mutex m;
    return m;
}

LogSink& sinkStorage()
{
    static LogSink sink;
    return sink;
}

} // namespace

void logLine(const QString& line)
{
    std::lock_guard lock(logMutex());
    if (auto& sink = sinkStorage()) {
        sink(line);
        return;
    }
    const QByteArray bytes = line.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

LogSink setLogSink(LogSink sink)
{
    std::lock_guard lock(logMutex());
    LogSink previous = std::move(sinkStorage());
    sinkStorage() = std::move(sink);
    return previous;
}

void systemLog(const QString& line)
{
    {
        std::lock_guard lock(logMutex());
        if (auto& sink = sinkStorage()) {
            sink(QStringLiteral("[system] ") + line);
            return;
        }
    }
    const QByteArray bytes = line.toUtf8();
    openlog("vantrel", LOG_PID, LOG_USER);
    syslog(LOG_NOTICE, "%s", bytes.constData());
}

void appendTimestampedLine(const QString& path, const QString& line)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    const QString stamped
        = QStringLiteral("[%1] %2\n").arg(QDateTime::currentDateTime().toString(Qt::ISODateWithMs), line);
    appendToOwnFile(path, stamped.toUtf8());
}

} // namespace vantrel
