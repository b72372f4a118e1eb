#pragma once
// Finds local language-model runtimes among the running processes by name.
#include <vector>

#include <QStringList>

#include "fan/LLMState.h"
#include "fan/LanguageModelScanner.h"
#include "platform/ProcessTable.h"

namespace vantrel {

class LLMDetector final : public LanguageModelScanner {
public:
    explicit LLMDetector(const ProcessTable& processes);

    // Name fragments matched case-insensitively anywhere in a process name.
    static const QStringList& signatures();
    static bool matches(const QString& processName);

    // Matching processes in process-list order. Blocking (reads the process table): call off the main thread.
    std::vector<LLMProcess> getProcesses() const;
    // Idle without processes; Inferencing when the largest weight is above 50 or the total above 80.
    static LLMState classifyState(const std::vector<LLMProcess>& processes);
    // The processes and their state, for the monitoring tick.
    LanguageModelScan scan() const override;

private:
    const ProcessTable& processes_;
};

} // namespace vantrel
