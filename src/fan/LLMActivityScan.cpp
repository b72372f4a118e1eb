#include "fan/LLMActivityScan.h"

namespace vantrel {

LLMActivityScan::LLMActivityScan(const LLMDetector& detector) : detector_(detector) {}

std::optional<LLMState> LLMActivityScan::onTick()
{
    // Tick bodies run on a concurrent queue; a slow one may overlap the next.
    std::lock_guard lock(mutex_);
    if (llmCheckCounter_ < 5) {
        ++llmCheckCounter_;
        return std::nullopt;
    }
    cachedProcesses_ = detector_.getProcesses();
    llmCheckCounter_ = 0;
    return LLMDetector::classifyState(cachedProcesses_);
}

std::vector<LLMProcess> LLMActivityScan::cachedProcesses() const
{
    std::lock_guard lock(mutex_);
    return cachedProcesses_;
}

int LLMActivityScan::llmCheckCounter() const
{
    std::lock_guard lock(mutex_);
    return llmCheckCounter_;
}

} // namespace vantrel
