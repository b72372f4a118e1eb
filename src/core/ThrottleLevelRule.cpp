#include "core/ThrottleLevelRule.h"

namespace vantrel {

ThrottleDecision ThrottleLevelRule::evaluate(double t)
{
    ThrottleDecision decision;
    if (t >= survivalTemperature) {
        ++highTempDuration_;
        // The tenth consecutive hot tick and every one after it.
        decision.triggerSurvival = highTempDuration_ > 9;
        decision.level = ThrottleLevel::level3;
        return decision;
    }
    highTempDuration_ = 0;
    if (t >= 80.0)
        decision.level = ThrottleLevel::level2;
    else if (t >= 70.0)
        decision.level = ThrottleLevel::level1;
    else if (t < 65.0)
        decision.level = ThrottleLevel::normal;
    return decision;
}

} // namespace vantrel
