#pragma once
// The running processes as the operating system lists them.
#include <cstddef>
#include <optional>
#include <vector>

#include <QString>

namespace vantrel {

struct ProcessEntry {
    int pid = 0;
    // The short name the kernel keeps for the process (on Linux /proc/<pid>/comm, at most 15 characters).
    QString name;
    int threadCount = 0;
};

class ProcessTable {
public:
    virtual ~ProcessTable() = default;
    // Every process visible to this user; an empty list when the table cannot be read.
    virtual std::vector<ProcessEntry> list() const = 0;
    // The same processes with their IDs and names only (threadCount left 0): no per-process
    // status is read, for scans that need thread counts of a few of them.
    virtual std::vector<ProcessEntry> listNames() const = 0;
    // The IDs of the running processes (one per process, not per thread), at most maxCount of
    // them; an empty list when the table cannot be read.
    virtual std::vector<int> processIDs(std::size_t maxCount) const = 0;
    // The number of threads of one process; nothing when it has gone or cannot be inspected.
    virtual std::optional<int> threadCount(int pid) const = 0;
};

} // namespace vantrel
