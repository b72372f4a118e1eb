#pragma once
// The monitoring tick's language-model scan: it looks at the processes on every sixth tick only.
#include <mutex>
#include <optional>
#include <vector>

#include "fan/LLMDetector.h"

namespace vantrel {

class LLMActivityScan {
public:
    explicit LLMActivityScan(const LLMDetector& detector);

    // Call once per monitoring tick from the tick's background part. The first five calls after a
    // scan only count (nothing: llmState keeps its value); the sixth scans the processes, caches
    // them and answers the new state, which the tick's main part publishes with
    // FanControlState::setLlmState.
    std::optional<LLMState> onTick();

    // The processes of the last scan (their pids go to the throttle).
    std::vector<LLMProcess> cachedProcesses() const;
    int llmCheckCounter() const;

private:
    const LLMDetector& detector_;
    mutable std::mutex mutex_;
    int llmCheckCounter_ = 0;
    std::vector<LLMProcess> cachedProcesses_;
};

} // namespace vantrel
