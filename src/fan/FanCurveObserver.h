#pragma once
// What the central state needs of the observation of the operating system's own fan curve:
// the analysis at start-up and one sample per monitoring tick (main thread).
#include "sensors/HistoryDataPoint.h"

namespace vantrel {

class FanCurveObserver {
public:
    virtual ~FanCurveObserver() = default;
    virtual void refreshMacOSFanCurveAnalysis() = 0;
    virtual void recordMacOSFanCurveSample(const HistoryDataPoint& readings) = 0;
};

} // namespace vantrel
