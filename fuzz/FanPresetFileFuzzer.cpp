// The saved fan presets file, loaded as the fan page loads it.
#include "FuzzSupport.h"
#include "base/Preferences.h"
#include "base/VirtualDispatch.h"
#include "fan/FanPresetStore.h"

using namespace vantrel;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::quietLogging();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const Paths paths = fuzz::scratchPaths();
    static MemoryPreferences prefs;
    static VirtualClock clock;
    static const FanPresetStore store{paths, prefs, clock};
    fuzz::writeInput(store.presetsURL(), fuzz::bytesOf(data, size));
    (void)store.load();
    (void)store.loadCustomPresets();
    return 0;
}
