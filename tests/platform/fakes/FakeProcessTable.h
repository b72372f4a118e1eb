#pragma once
// A process table for tests: the processes a test lists, and processes that cannot be inspected.
#include <algorithm>

#include "platform/ProcessTable.h"

namespace vantrel::test {

class FakeProcessTable final : public ProcessTable {
public:
    std::vector<ProcessEntry> processes;
    // Processes whose thread count cannot be read (gone, or not ours).
    std::vector<int> uninspectable;

    // The processes whose thread count was asked for, in order.
    mutable std::vector<int> threadCountQueries;

    std::vector<ProcessEntry> list() const override { return processes; }
    std::vector<ProcessEntry> listNames() const override
    {
        std::vector<ProcessEntry> out = processes;
        for (auto& p : out)
            p.threadCount = 0;
        return out;
    }
    std::vector<int> processIDs(std::size_t maxCount) const override
    {
        std::vector<int> pids;
        for (const auto& p : processes)
            if (pids.size() < maxCount)
                pids.push_back(p.pid);
        return pids;
    }
    std::optional<int> threadCount(int pid) const override
    {
        threadCountQueries.push_back(pid);
        if (std::find(uninspectable.begin(), uninspectable.end(), pid) != uninspectable.end())
            return std::nullopt;
        for (const auto& p : processes)
            if (p.pid == pid)
                return p.threadCount;
        return std::nullopt;
    }
};

} // namespace vantrel::test
