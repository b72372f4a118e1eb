#pragma once
// What the central state needs of the local language-model detection: the running model
// processes and the state they add up to. Called off the main thread.
#include <vector>

#include "fan/LLMState.h"

namespace vantrel {

struct LanguageModelScan {
    std::vector<LLMProcess> processes;
    LLMState state = LLMState::Idle;
};

class LanguageModelScanner {
public:
    virtual ~LanguageModelScanner() = default;
    virtual LanguageModelScan scan() const = 0;
};

} // namespace vantrel
