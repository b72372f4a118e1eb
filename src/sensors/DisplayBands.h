#pragma once
// How the dashboard turns memory and SSD figures into gauge positions and colours.
#include <QString>

#include "sensors/BandColour.h"

namespace vantrel {

// The gauge position for a level text ("critical" 0.95, "high" 0.82, "medium"/"warn"/"warning"
// 0.55, "low"/"normal" 0.18, compared case-insensitively); any other text uses the used/total
// ratio of memoryUsedGB, clamped to [0, 1].
double memoryGaugePosition(const QString& memoryLevel, const QString& memoryUsedGB);
// used / total from a text such as "12 / 16 GB" or "512 MB / 16 GB"; 0 when it cannot be read.
double memoryUsedRatio(const QString& memoryUsedGB);
// Red from 0.9, orange from 0.75, otherwise the primary text colour.
BandColour memoryUseColour(double ratio);
// Red from 70 °C, orange from 55 °C, otherwise cyan.
BandColour ssdTemperatureColour(double celsius);

} // namespace vantrel
