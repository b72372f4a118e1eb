#include "ui/shell/UiStateBinding.h"

#include "sensors/HardwareCapabilityStore.h"
#include "ui/shell/UiState.h"

namespace vantrel {

void bindCapabilities(UiState& state, HardwareCapabilityStore& store)
{
    auto sync = [&state, &store] { state.setSupportsSafeFanControl(store.profile().supportsSafeFanControl); };
    sync();
    QObject::connect(&store, &HardwareCapabilityStore::profileChanged, &state, sync);
}

} // namespace vantrel
