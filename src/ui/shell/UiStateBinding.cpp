#include "ui/shell/UiStateBinding.h"

#include "core/ThermalManager.h"
#include "sensors/HardwareCapabilityStore.h"
#include "sleep/SleepSettingsState.h"
#include "ui/shell/UiState.h"

namespace vantrel {

void bindCapabilities(UiState& state, HardwareCapabilityStore& store)
{
    auto sync = [&state, &store] { state.setSupportsSafeFanControl(store.profile().supportsSafeFanControl); };
    sync();
    QObject::connect(&store, &HardwareCapabilityStore::profileChanged, &state, sync);
}

void bindCentralState(UiState& state, ThermalManager& manager)
{
    auto sensors = [&state, &manager] { state.setAllSensors(manager.allSensors()); };
    sensors();
    QObject::connect(&manager, &ThermalManager::allSensorsChanged, &state, sensors);

    SleepSettingsState& sleep = manager.sleep();
    auto keepAwake = [&state, &sleep] { state.setAppSleepPreventionActive(sleep.darkKeepAliveEnabled()); };
    keepAwake();
    QObject::connect(&sleep, &SleepSettingsState::darkKeepAliveEnabledChanged, &state, keepAwake);
}

} // namespace vantrel
