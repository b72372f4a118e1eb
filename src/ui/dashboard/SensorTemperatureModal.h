#pragma once
// Every SMC temperature reading, grouped by category (CPU, GPU, SSD, Battery, Airflow,
// Other), hottest first, with the CPU, SSD and battery summary at the top.
#include <vector>

#include "sensors/SensorReading.h"
#include "ui/dashboard/DashboardRefreshResult.h"
#include "ui/widgets/DetailSheet.h"

namespace vantrel {

class SensorTemperatureModal final : public DetailSheet {
    Q_OBJECT
public:
    SensorTemperatureModal(const std::vector<SensorReading>& readings, const DashboardRefreshResult& result,
                           QWidget* parent = nullptr);
    // Section titles in the order shown.
    QStringList sectionTitles() const { return sectionTitles_; }

private:
    QStringList sectionTitles_;
};

} // namespace vantrel
