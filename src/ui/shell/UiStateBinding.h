#pragma once
// Keeps UiState current from the objects it mirrors. Called once by the composition root.
namespace vantrel {

class HardwareCapabilityStore;
class UiState;

// The sidebar's fan item follows the store's profile (supportsSafeFanControl).
void bindCapabilities(UiState& state, HardwareCapabilityStore& store);

} // namespace vantrel
