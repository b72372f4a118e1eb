#include "ui/shell/UiState.h"

namespace vantrel {

void UiState::setSupportsSafeFanControl(bool supported)
{
    if (supportsSafeFanControl_ == supported)
        return;
    supportsSafeFanControl_ = supported;
    Q_EMIT capabilitiesChanged();
}

void UiState::setAllSensors(std::vector<SensorReading> readings)
{
    allSensors_ = std::move(readings);
    Q_EMIT sensorsChanged();
}

void UiState::setAppSleepPreventionActive(bool active) { appSleepPreventionActive_ = active; }

} // namespace vantrel
