#include "sleep/SleepDebugLog.h"

#include "base/OwnFileAppend.h"

namespace vantrel {

QString sleepDebugLogLine(const QDateTime& now, const QString& message)
{
    const QString stamp = now.toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) + QStringLiteral(" +0000");
    return QLatin1Char('[') + stamp + QStringLiteral("] ") + message + QLatin1Char('\n');
}

void appendSleepDebugLog(const QString& path, const QDateTime& now, const QString& message)
{
    appendToOwnFile(path, sleepDebugLogLine(now, message).toUtf8());
}

} // namespace vantrel
