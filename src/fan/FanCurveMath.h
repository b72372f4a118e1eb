#pragma once
// Evaluating a curve at a temperature and bringing point lists into the five-point shape.
#include <vector>

#include "fan/CurvePoint.h"
#include "fan/FanCurveSettings.h"

namespace vantrel {

// Piecewise-linear fan percent of curve.points at temp (points taken in stable temperature
// order; below the first point its percent, above the last point its percent; NaN gives 0).
double calculateInterpolatedFanPercent(double temp, const FanCurveSettings& curve);

// The five-point shape (0,0), three interior points, (100,100), with interior temperatures at
// least minStep apart and capped at firstCap, firstCap + minStep, firstCap + 2 × minStep.
std::vector<CurvePoint> normalizeCurvePointsWithStep(const std::vector<CurvePoint>& points, double minStep,
                                                     double firstCap);

// The curve editor's variant: 3 °C steps, caps 91/94/97.
std::vector<CurvePoint> normalizedCurvePoints(const std::vector<CurvePoint>& points);

} // namespace vantrel
