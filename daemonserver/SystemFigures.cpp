#include "daemonserver/SystemFigures.h"

#include "platform/linux/LinuxHostStatistics.h"
#include "platform/linux/LinuxProcessTable.h"

namespace vantrel::daemonserver {

SystemFigures::SystemFigures(std::shared_ptr<HostStatistics> host, std::shared_ptr<ProcessTable> processes)
    : host_(std::move(host))
    , processes_(std::move(processes))
{ }

std::shared_ptr<SystemFigures> SystemFigures::fromThisMachine()
{
    return std::make_shared<SystemFigures>(std::make_shared<LinuxHostStatistics>(),
                                           std::make_shared<LinuxProcessTable>());
}

QJsonObject SystemFigures::cpu()
{
    QJsonObject out;
    if (const auto now = host_->cpuLoad()) {
        // The counters are 32 bits wide and wrap; unsigned subtraction gives the true delta.
        const CpuLoadTicks base = previous_.value_or(CpuLoadTicks{});
        const double user
            = static_cast<std::uint32_t>(now->user - base.user) + static_cast<std::uint32_t>(now->nice - base.nice);
        const double system = static_cast<std::uint32_t>(now->system - base.system);
        const double idle = static_cast<std::uint32_t>(now->idle - base.idle);
        const double total = user + system + idle;
        if (total > 0) {
            out.insert(QStringLiteral("user_percent"), user / total * 100.0);
            out.insert(QStringLiteral("system_percent"), system / total * 100.0);
            out.insert(QStringLiteral("idle_percent"), idle / total * 100.0);
        }
        previous_ = now;
    }
    const std::vector<ProcessEntry> list = processes_->list();
    int threads = 0;
    for (const auto& p : list)
        threads += p.threadCount;
    out.insert(QStringLiteral("process_count"), static_cast<int>(list.size()));
    out.insert(QStringLiteral("thread_count"), threads);
    return out;
}

QJsonObject SystemFigures::memory() const
{
    const auto pages = host_->vmStatistics();
    const double page = static_cast<double>(host_->pageSize());
    if (!pages || page <= 0)
        return QJsonObject{{QStringLiteral("level"), QStringLiteral("unknown")}};
    const double total = page
        * static_cast<double>(pages->free + pages->active + pages->inactive + pages->wire + pages->speculative
                              + pages->compressor);
    const double available = page * static_cast<double>(pages->free + pages->inactive + pages->speculative);
    const double ratio = total > 0 ? available / total : 0;
    const QString level = ratio > 0.25 ? QStringLiteral("normal")
        : ratio > 0.10                 ? QStringLiteral("warn")
                                       : QStringLiteral("critical");
    QJsonObject out{
        {QStringLiteral("level"), level},
        {QStringLiteral("total_bytes"), total},
        {QStringLiteral("used_bytes"), total - available},
        {QStringLiteral("app_memory_bytes"), page * static_cast<double>(pages->active)},
        {QStringLiteral("wired_bytes"), page * static_cast<double>(pages->wire)},
        {QStringLiteral("compressed_bytes"), page * static_cast<double>(pages->compressor)},
        {QStringLiteral("cached_files_bytes"), page * static_cast<double>(pages->inactive)},
    };
    if (const auto swap = host_->swapUsage())
        out.insert(QStringLiteral("swap_used_bytes"), static_cast<double>(swap->usedBytes));
    return out;
}

QStringList SystemFigures::processNames(int maxCount) const
{
    QStringList names;
    for (const auto& p : processes_->list()) {
        if (!p.name.isEmpty() && !names.contains(p.name))
            names << p.name;
        if (names.size() >= maxCount)
            break;
    }
    names.sort();
    return names;
}

} // namespace vantrel::daemonserver
