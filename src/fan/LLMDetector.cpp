#include "fan/LLMDetector.h"

#include <algorithm>

namespace vantrel {

LLMDetector::LLMDetector(const ProcessTable& processes)
    : processes_(processes)
{ }

const QStringList& LLMDetector::signatures()
{
    static const QStringList list{QStringLiteral("LM Studio"), QStringLiteral("LM Studio Helper"),
                                  QStringLiteral("llama-server"), QStringLiteral("llama-cli"),
                                  QStringLiteral("mlx_lm")};
    return list;
}

bool LLMDetector::matches(const QString& processName)
{
    return std::any_of(signatures().begin(), signatures().end(),
                       [&](const QString& s) { return processName.contains(s, Qt::CaseInsensitive); });
}

std::vector<LLMProcess> LLMDetector::getProcesses() const
{
    std::vector<LLMProcess> out;
    // Thread counts cost one status read per process: only the matching ones are asked.
    for (const auto& entry : processes_.listNames()) {
        if (entry.pid <= 0 || entry.name.isEmpty() || !matches(entry.name))
            continue;
        const int threads = processes_.threadCount(entry.pid).value_or(0);
        out.push_back({entry.name, entry.pid, threads > 1 ? 10.0 : 1.0});
    }
    return out;
}

LLMState LLMDetector::classifyState(const std::vector<LLMProcess>& processes)
{
    if (processes.empty())
        return LLMState::Idle;
    double max = 0;
    double sum = 0;
    for (const auto& p : processes) {
        max = std::max(max, p.cpuPercent);
        sum += p.cpuPercent;
    }
    return max > 50 || sum > 80 ? LLMState::Inferencing : LLMState::KeepAlive;
}

LanguageModelScan LLMDetector::scan() const
{
    LanguageModelScan result;
    result.processes = getProcesses();
    result.state = classifyState(result.processes);
    return result;
}

} // namespace vantrel
