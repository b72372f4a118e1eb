#pragma once
// The dashboard's judgement rules: which policy is in charge, the colour of each reading
// (the memory and SSD bands come from the sensors layer and are mapped onto the palette
// here), and the size and temperature texts of daemon figures.
#include <optional>

#include <QString>

#include "sensors/BandColour.h"
#include "ui/dashboard/DashboardRefreshResult.h"
#include "ui/style/DSToken.h"

namespace vantrel::dashboard {

// "Fan Policy", "Power Policy", "Sleep Policy", or macosDefault (the translated default).
QString policyInCharge(const DashboardRefreshResult& result, bool seedSleepFlag, const QString& macosDefault);

// Red at 85 °C or 90 % load (user + system), orange at 70 °C or 70 %, green otherwise.
DSToken cpuColor(double celsius, double loadPercent);
// "critical"/"high" red, "medium" orange, "low"/"normal" green, anything else grey.
DSToken memoryLevelColor(const QString& level);
// Used share of memory from the "U / T GB" text, coloured by its band.
DSToken memoryUseColor(const QString& memoryUsedGB);
// The SSD band of the temperature a text starts with; grey when it holds no number.
DSToken ssdColor(const QString& ssdTempText);
DSToken token(BandColour colour);

// "U / T GB" in GiB, truncated: U with one decimal below 10, otherwise whole.
QString usedOfTotalText(double usedBytes, double totalBytes);
QString temperatureText(double celsius);
// The leading number of a text such as "48°C".
std::optional<double> leadingNumber(const QString& text);

} // namespace vantrel::dashboard
