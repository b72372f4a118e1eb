#pragma once
// Logs a file rewrite that failed (full disk, read-only folder) once per run of failures:
// "<component>: could not rewrite <path> (<error>); the previous file was kept". The next
// success after failures is logged too, so the log shows when writing worked again.
#include <atomic>

#include <QString>

namespace vantrel {

class WriteFailureLog {
public:
    explicit WriteFailureLog(QString component);
    // Passes ok through.
    bool note(bool ok, const QString& path, const QString& error = {});
    bool failing() const { return failing_; }

private:
    const QString component_;
    std::atomic<bool> failing_{false};
};

} // namespace vantrel
