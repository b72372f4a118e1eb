#pragma once
// Plain log lines on standard output (each line carries its component prefix in the text,
// e.g. "NativeSMC: ..."), the system log, and time-stamped lines appended to a log file.
#include <functional>

#include <QString>

namespace vantrel {

void logLine(const QString& line);

// "true" or "false", as log lines write a flag.
inline QString boolText(bool value) { return value ? QStringLiteral("true") : QStringLiteral("false"); }

// Redirects log lines (tests capture them); returns the previous sink. An empty sink restores stdout.
using LogSink = std::function<void(const QString&)>;
LogSink setLogSink(LogSink sink);

// One line to the system log (syslog / journald), also passed to the log sink.
void systemLog(const QString& line);

// Appends "[ISO time] line" to a log file such as /tmp/vantrel_app.log; failures are ignored.
void appendTimestampedLine(const QString& path, const QString& line);

} // namespace vantrel
