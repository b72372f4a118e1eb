#pragma once
// What the central state needs of the hardware capability store: whether a real profile is
// loaded, and the refresh, probe and clear steps its availability transitions call.
#include <cstdint>

namespace vantrel {

class CapabilityGate {
public:
    virtual ~CapabilityGate() = default;
    virtual bool isLoaded() const = 0;
    // True while the profile is the placeholder (no real hardware facts yet).
    virtual bool hasPlaceholderProfile() const = 0;
    // 0 until the store has begun its first refresh.
    virtual std::uint64_t refreshGeneration() const = 0;
    virtual void refresh() = 0;
    virtual void probeAfterExhaustion() = 0;
    virtual void clear() = 0;
};

} // namespace vantrel
