#pragma once
// At most one refresh in flight; a result is accepted only for the generation that is
// still current, so late answers after an invalidation are dropped.
#include <cstdint>
#include <optional>

namespace vantrel {

struct CoalescingGenerationState {
    std::uint64_t generation = 0;
    std::optional<std::uint64_t> inFlightGeneration;

    bool isReady() const { return !inFlightGeneration.has_value(); }

    // Starts work when nothing is in flight; returns the generation to hand back with the result.
    std::optional<std::uint64_t> begin()
    {
        if (inFlightGeneration)
            return std::nullopt;
        ++generation;
        inFlightGeneration = generation;
        return generation;
    }
    // True when the result of work started as `started` is still current; accepting clears the flight.
    bool accept(std::uint64_t started)
    {
        if (generation != started || inFlightGeneration != started)
            return false;
        inFlightGeneration.reset();
        return true;
    }
    void invalidate()
    {
        ++generation;
        inFlightGeneration.reset();
    }
};

} // namespace vantrel
