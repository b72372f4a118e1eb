#pragma once
// The debug log shared by the keep-alive and shield controllers ("/tmp/vantrel_app.log").
#include <QDateTime>
#include <QString>

namespace vantrel {

// "[2026-01-15 12:00:00 +0000] " + message: the date in UTC, to the second, with its offset.
QString sleepDebugLogLine(const QDateTime& now, const QString& message);

// Appends the line to path (creating the file when missing); every failure is ignored.
void appendSleepDebugLog(const QString& path, const QDateTime& now, const QString& message);

} // namespace vantrel
