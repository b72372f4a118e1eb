#include "sensors/SystemMonitor.h"

#include <initializer_list>
#include <optional>

namespace vantrel {
namespace {

std::optional<std::uint64_t> bytesOf(std::uint64_t pages, std::uint64_t pageSize)
{
    std::uint64_t bytes = 0;
    if (__builtin_mul_overflow(pages, pageSize, &bytes))
        return std::nullopt;
    return bytes;
}

std::optional<std::uint64_t> sum(std::initializer_list<std::uint64_t> values)
{
    std::uint64_t total = 0;
    for (const auto v : values)
        if (__builtin_add_overflow(total, v, &total))
            return std::nullopt;
    return total;
}

} // namespace

QString memoryPressureLevelText(MemoryPressureLevel level)
{
    switch (level) {
    case MemoryPressureLevel::Low:
        return QStringLiteral("low");
    case MemoryPressureLevel::Medium:
        return QStringLiteral("medium");
    case MemoryPressureLevel::High:
        return QStringLiteral("high");
    case MemoryPressureLevel::Critical:
        return QStringLiteral("critical");
    case MemoryPressureLevel::Unknown:
        break;
    }
    return QStringLiteral("unknown");
}

SystemMonitor::SystemMonitor(std::shared_ptr<HostStatistics> host) : host_(std::move(host)) {}

MemoryPressureLevel SystemMonitor::levelForRatio(double ratio)
{
    if (ratio >= 0 && ratio < 0.7)
        return MemoryPressureLevel::Low;
    if (ratio >= 0.7 && ratio < 0.85)
        return MemoryPressureLevel::Medium;
    if (ratio >= 0.85 && ratio < 0.95)
        return MemoryPressureLevel::High;
    return MemoryPressureLevel::Critical;
}

MemoryPressureInfo SystemMonitor::readMemoryPressure() const
{
    const MemoryPressureInfo failed;
    const auto pages = host_->vmStatistics();
    if (!pages)
        return failed;
    const std::uint64_t page = host_->pageSize();
    const auto app = bytesOf(pages->active, page);
    const auto wired = bytesOf(pages->wire, page);
    const auto compressed = bytesOf(pages->compressor, page);
    const auto cachedPages = sum({pages->speculative, pages->inactive});
    const auto cached = cachedPages ? bytesOf(*cachedPages, page) : std::nullopt;
    const auto reclaimablePages = cachedPages ? sum({*cachedPages, pages->free}) : std::nullopt;
    const auto reclaimable = reclaimablePages ? bytesOf(*reclaimablePages, page) : std::nullopt;
    if (!app || !wired || !compressed || !cached || !reclaimable)
        return failed;
    const auto used = sum({*app, *wired, *compressed});
    const auto total = used ? sum({*used, *reclaimable}) : std::nullopt;
    if (!total)
        return failed;

    MemoryPressureInfo info;
    info.appBytes = *app;
    info.wiredBytes = *wired;
    info.compressedBytes = *compressed;
    info.cachedBytes = *cached;
    info.usedBytes = *used;
    info.totalBytes = *total;
    info.level = *total == 0 ? MemoryPressureLevel::Low
                             : levelForRatio(static_cast<double>(*used) / static_cast<double>(*total));
    if (const auto swap = host_->swapUsage()) {
        info.swapUsedBytes = swap->usedBytes;
        info.swapUnavailable = false;
    } else {
        info.swapUsedBytes = 0;
        info.swapUnavailable = true;
    }
    return info;
}

} // namespace vantrel
