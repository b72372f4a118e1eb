#pragma once
// The process table from /proc: one numeric folder per process, its short name in "comm"
// and its thread count on the "Threads:" line of "status".
#include <QString>

#include "platform/ProcessTable.h"

namespace vantrel {

class LinuxProcessTable final : public ProcessTable {
public:
    explicit LinuxProcessTable(QString procRoot = QStringLiteral("/proc"));

    std::vector<ProcessEntry> list() const override;
    std::vector<ProcessEntry> listNames() const override;
    std::vector<int> processIDs(std::size_t maxCount) const override;
    std::optional<int> threadCount(int pid) const override;

    // The value of the "Threads:" line of a status file; nothing when there is none.
    static std::optional<int> parseThreadsLine(const char* statusText);

private:
    QString procRoot_;
    QByteArray procRootBytes_;
};

} // namespace vantrel
