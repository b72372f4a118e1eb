#pragma once
// Keeps UiState current from the objects it mirrors. Called once by the composition root.
namespace vantrel {

class HardwareCapabilityStore;
class ThermalManager;
class UiState;

// The sidebar's fan item follows the store's profile (supportsSafeFanControl).
void bindCapabilities(UiState& state, HardwareCapabilityStore& store);
// The sensor sheet's readings follow ThermalManager.allSensors; the dashboard's own sleep
// flag follows the keep-awake setting.
void bindCentralState(UiState& state, ThermalManager& manager);

} // namespace vantrel
