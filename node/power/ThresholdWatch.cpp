#include "node/power/ThresholdWatch.h"

namespace vantrel::node {

void ThresholdWatch::observe(std::chrono::steady_clock::time_point now, bool external, int percent,
                             const QString& status, int limit)
{
    const bool limited = limit >= 1 && limit < 100;
    const bool chargingPast = limited && external && percent > limit && status == QStringLiteral("Charging");
    // A new limit gets its own grace period: firmware may take a moment to act on it.
    if (!chargingPast || limit != watchedLimit_)
        chargingPastSince_.reset();
    watchedLimit_ = limit;
    if (!chargingPast) {
        inEffect_ = true;
        return;
    }
    if (!chargingPastSince_)
        chargingPastSince_ = now;
    inEffect_ = now - *chargingPastSince_ < kIgnoredAfter;
}

} // namespace vantrel::node
