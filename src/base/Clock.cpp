#include "base/Clock.h"

#include <chrono>

namespace vantrel {

QDateTime SystemClock::now() const { return QDateTime::currentDateTimeUtc(); }

double SystemClock::uptimeSeconds() const
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

} // namespace vantrel
