#pragma once
// What the shell and the dashboard observe from the central state and the hardware
// capability store. The composition root keeps it current from those objects (see
// bindUiState); tests and the screenshot renderer set it directly.
#include <vector>

#include <QObject>

#include "sensors/SensorReading.h"

namespace vantrel {

class UiState final : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    bool supportsSafeFanControl() const { return supportsSafeFanControl_; }
    void setSupportsSafeFanControl(bool supported);

    // ThermalManager.allSensors: the latest SMC readings.
    const std::vector<SensorReading>& allSensors() const { return allSensors_; }
    void setAllSensors(std::vector<SensorReading> readings);

    // The application's own sleep prevention is on (the dashboard names "Sleep Policy" then).
    bool appSleepPreventionActive() const { return appSleepPreventionActive_; }
    void setAppSleepPreventionActive(bool active);

Q_SIGNALS:
    void capabilitiesChanged();
    void sensorsChanged();

private:
    bool supportsSafeFanControl_ = false;
    std::vector<SensorReading> allSensors_;
    bool appSleepPreventionActive_ = false;
};

} // namespace vantrel
