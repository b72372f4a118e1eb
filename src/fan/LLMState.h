#pragma once
// Coarse activity of local language-model runtimes, and one matching process.
#include <QString>

namespace vantrel {

enum class LLMState {
    Idle,
    KeepAlive,
    Inferencing
};

struct LLMProcess {
    QString name;
    int pid = 0;
    // A weight rather than a measured load: 10 for a multi-threaded process, 1 otherwise.
    double cpuPercent = 0;
    bool operator==(const LLMProcess&) const = default;
};

} // namespace vantrel
