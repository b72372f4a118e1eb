#include "platform/linux/LinuxHostStatistics.h"

#include <algorithm>
#include <vector>

#include <unistd.h>

#include <QList>

#include "platform/CheckedArithmetic.h"
#include "platform/linux/PseudoFile.h"

namespace vantrel {
namespace {

std::optional<std::uint64_t> parseUnsigned(const QByteArray& field)
{
    bool ok = false;
    const qulonglong v = field.toULongLong(&ok);
    if (!ok)
        return std::nullopt;
    return static_cast<std::uint64_t>(v);
}

std::uint64_t saturatingSub(std::uint64_t a, std::uint64_t b) { return a > b ? a - b : 0; }

} // namespace

LinuxHostStatistics::LinuxHostStatistics(QString procRoot, std::uint64_t pageSize)
    : procRoot_(std::move(procRoot))
    , pageSize_(pageSize != 0 ? pageSize : static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE)))
{ }

std::optional<CpuLoadTicks> LinuxHostStatistics::parseProcStat(const QByteArray& text)
{
    for (const QByteArray& line : text.split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.isEmpty() || fields.front() != "cpu")
            continue;
        // user nice system idle iowait irq softirq steal …; older kernels stop after idle.
        std::vector<std::uint64_t> v;
        for (qsizetype i = 1; i < fields.size() && i <= 8; ++i) {
            const auto n = parseUnsigned(fields[i]);
            if (!n)
                return std::nullopt;
            v.push_back(*n);
        }
        if (v.size() < 4)
            return std::nullopt;
        v.resize(8, 0);
        // The sums are taken modulo 2^64 and then 2^32: only differences between samples matter.
        const auto wrap = [](std::uint64_t x) { return static_cast<std::uint32_t>(x); };
        CpuLoadTicks ticks;
        ticks.user = wrap(v[0]);
        ticks.nice = wrap(v[1]);
        ticks.system = wrap(v[2] + v[5] + v[6] + v[7]);
        ticks.idle = wrap(v[3] + v[4]);
        return ticks;
    }
    return std::nullopt;
}

QHash<QByteArray, std::uint64_t> LinuxHostStatistics::parseMeminfo(const QByteArray& text)
{
    QHash<QByteArray, std::uint64_t> out;
    for (const QByteArray& line : text.split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            continue;
        const QList<QByteArray> rest = line.mid(colon + 1).simplified().split(' ');
        const auto value = parseUnsigned(rest.value(0));
        if (!value)
            continue;
        const auto bytes = rest.size() > 1 && rest[1] == "kB" ? checkedProduct(*value, 1024) : value;
        if (!bytes)
            continue;
        out.insert(line.left(colon), *bytes);
    }
    return out;
}

std::optional<VmPageCounts> LinuxHostStatistics::pageCountsFromMeminfo(const QHash<QByteArray, std::uint64_t>& m,
                                                                       std::uint64_t pageSize)
{
    if (pageSize == 0 || !m.contains("MemTotal") || !m.contains("MemFree"))
        return std::nullopt;
    const std::uint64_t total = m.value("MemTotal");
    const std::uint64_t shmem = m.value("Shmem");
    const auto anon = m.contains("AnonPages") ? std::optional(m.value("AnonPages"))
                                              : checkedSum({m.value("Active(anon)"), m.value("Inactive(anon)")});
    const auto app = anon ? checkedSum({*anon, shmem}) : std::nullopt;
    const auto fileCache = checkedSum({m.value("Buffers"), m.value("Cached"), m.value("SReclaimable")});
    if (!app || !fileCache)
        return std::nullopt;
    // "Cached" counts shared memory too; it is application memory here.
    const std::uint64_t cached = saturatingSub(*fileCache, shmem);
    const std::uint64_t free = m.value("MemFree");
    const std::uint64_t compressed = m.value("Zswap");
    const auto accounted = checkedSum({free, *app, cached, compressed});
    if (!accounted)
        return std::nullopt;

    VmPageCounts pages;
    pages.free = free / pageSize;
    pages.active = *app / pageSize;
    pages.inactive = cached / pageSize;
    pages.compressor = compressed / pageSize;
    pages.wire = saturatingSub(total, *accounted) / pageSize;
    pages.speculative = 0;
    return pages;
}

std::optional<SwapUsage> LinuxHostStatistics::swapFromMeminfo(const QHash<QByteArray, std::uint64_t>& m)
{
    if (!m.contains("SwapTotal") || !m.contains("SwapFree"))
        return std::nullopt;
    SwapUsage swap;
    swap.totalBytes = m.value("SwapTotal");
    swap.availableBytes = std::min(m.value("SwapFree"), swap.totalBytes);
    swap.usedBytes = swap.totalBytes - swap.availableBytes;
    return swap;
}

std::optional<CpuLoadTicks> LinuxHostStatistics::cpuLoad() const
{
    const auto text = linuxfs::readPseudoFile(procRoot_ + QStringLiteral("/stat"));
    if (!text)
        return std::nullopt;
    return parseProcStat(*text);
}

std::optional<VmPageCounts> LinuxHostStatistics::vmStatistics() const
{
    const auto text = linuxfs::readPseudoFile(procRoot_ + QStringLiteral("/meminfo"));
    if (!text)
        return std::nullopt;
    return pageCountsFromMeminfo(parseMeminfo(*text), pageSize_);
}

std::optional<SwapUsage> LinuxHostStatistics::swapUsage() const
{
    const auto text = linuxfs::readPseudoFile(procRoot_ + QStringLiteral("/meminfo"));
    if (!text)
        return std::nullopt;
    return swapFromMeminfo(parseMeminfo(*text));
}

} // namespace vantrel
