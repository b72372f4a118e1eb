#include "node/daemon/CachedSleepInhibitors.h"

namespace vantrel::node {

CachedSleepInhibitors::CachedSleepInhibitors(std::shared_ptr<SleepInhibitors> inner, const Clock& clock)
    : inner_(std::move(inner))
    , clock_(clock)
{ }

bool CachedSleepInhibitors::hold(bool held)
{
    const bool ok = inner_->hold(held);
    if (held && !ok && available_ == true)
        available_.reset();
    return ok;
}

bool CachedSleepInhibitors::available() const
{
    if (available_ == true)
        return true;
    const double now = clock_.uptimeSeconds();
    if (!available_ || now - askedAt_ >= kRetrySeconds) {
        available_ = inner_->available();
        askedAt_ = now;
    }
    return *available_;
}

} // namespace vantrel::node
