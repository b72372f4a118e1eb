#pragma once
// Host statistics from the Linux kernel: CPU ticks from /proc/stat, memory by kind and swap
// from /proc/meminfo, mapped onto the page counts the memory reading works with.
#include <QByteArray>
#include <QHash>
#include <QString>

#include "platform/HostStatistics.h"

namespace vantrel {

class LinuxHostStatistics final : public HostStatistics {
public:
    // procRoot: where the proc file system is mounted ("/proc"; a fixture folder in tests).
    explicit LinuxHostStatistics(QString procRoot = QStringLiteral("/proc"), std::uint64_t pageSize = 0);

    std::optional<CpuLoadTicks> cpuLoad() const override;
    std::optional<VmPageCounts> vmStatistics() const override;
    std::uint64_t pageSize() const override { return pageSize_; }
    std::optional<SwapUsage> swapUsage() const override;

    // The aggregate "cpu" line of /proc/stat: user and nice as they are, system with the
    // interrupt and steal time, idle with I/O wait; each kept modulo 2^32.
    static std::optional<CpuLoadTicks> parseProcStat(const QByteArray& text);
    // "Key:   value kB" lines as key → bytes; lines that do not parse are left out.
    static QHash<QByteArray, std::uint64_t> parseMeminfo(const QByteArray& text);
    // Application memory = anonymous + shared pages; cached = reclaimable file and slab cache;
    // compressed = zswap pool; wired = the rest of MemTotal that is not free.
    static std::optional<VmPageCounts> pageCountsFromMeminfo(const QHash<QByteArray, std::uint64_t>& meminfo,
                                                             std::uint64_t pageSize);
    static std::optional<SwapUsage> swapFromMeminfo(const QHash<QByteArray, std::uint64_t>& meminfo);

private:
    QString procRoot_;
    std::uint64_t pageSize_;
};

} // namespace vantrel
