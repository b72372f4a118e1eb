#include "support/LogCapture.h"

#include "base/Log.h"

namespace vantrel::test {

LogCapture::LogCapture()
{
    setLogSink([this](const QString& line) {
        std::lock_guard lock(mutex_);
        lines_ << line;
    });
}
LogCapture::~LogCapture() { setLogSink({}); }

QStringList LogCapture::lines() const
{
    std::lock_guard lock(mutex_);
    return lines_;
}
bool LogCapture::contains(const QString& fragment) const { return count(fragment) > 0; }
int LogCapture::count(const QString& fragment) const
{
    std::lock_guard lock(mutex_);
    int n = 0;
    for (const auto& l : lines_)
        if (l.contains(fragment))
            ++n;
    return n;
}
void LogCapture::clear()
{
    std::lock_guard lock(mutex_);
    lines_.clear();
}

} // namespace vantrel::test
