#include "base/WriteFailureLog.h"

#include "base/Log.h"

namespace vantrel {

WriteFailureLog::WriteFailureLog(QString component)
    : component_(std::move(component))
{ }

bool WriteFailureLog::note(bool ok, const QString& path, const QString& error)
{
    const bool wasFailing = failing_.exchange(!ok);
    if (!ok && !wasFailing)
        logLine(QStringLiteral("%1: could not rewrite %2%3; the previous file was kept")
                    .arg(component_, path, error.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(error)));
    if (ok && wasFailing)
        logLine(QStringLiteral("%1: %2 written again").arg(component_, path));
    return ok;
}

} // namespace vantrel
