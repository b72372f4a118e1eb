#include "platform/linux/LinuxProcessActivity.h"

namespace vantrel {

ProcessActivity::Token LinuxProcessActivity::beginActivity(std::uint64_t, const QString& reason)
{
    std::lock_guard lock(mutex_);
    const Token token = nextToken_++;
    active_.emplace(token, reason);
    return token;
}

void LinuxProcessActivity::endActivity(Token token)
{
    std::lock_guard lock(mutex_);
    active_.erase(token);
}

QStringList LinuxProcessActivity::activeReasons() const
{
    std::lock_guard lock(mutex_);
    QStringList reasons;
    for (const auto& [token, reason] : active_)
        reasons << reason;
    return reasons;
}

} // namespace vantrel
