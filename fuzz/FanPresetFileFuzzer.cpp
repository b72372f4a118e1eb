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
    auto& harness = fuzz::FileHarness::shared();
    static MemoryPreferences prefs;
    static const FanPresetStore store{harness.paths(), prefs, harness.dispatch().clock()};
    harness.place(fuzz::bytesOf(data, size), {store.presetsURL()});
    (void)store.load();
    (void)store.loadCustomPresets();
    return 0;
}
