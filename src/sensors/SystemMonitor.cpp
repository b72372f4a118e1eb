#include "sensors/SystemMonitor.h"

#include <optional>

#include "platform/CheckedArithmetic.h"

namespace vantrel {

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

SystemMonitor::SystemMonitor(std::shared_ptr<HostStatistics> host)
    : host_(std::move(host))
{ }

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
    const auto app = checkedProduct(pages->active, page);
    const auto wired = checkedProduct(pages->wire, page);
    const auto compressed = checkedProduct(pages->compressor, page);
    const auto cachedPages = checkedSum({pages->speculative, pages->inactive});
    const auto cached = cachedPages ? checkedProduct(*cachedPages, page) : std::nullopt;
    const auto reclaimablePages = cachedPages ? checkedSum({*cachedPages, pages->free}) : std::nullopt;
    const auto reclaimable = reclaimablePages ? checkedProduct(*reclaimablePages, page) : std::nullopt;
    if (!app || !wired || !compressed || !cached || !reclaimable)
        return failed;
    const auto used = checkedSum({*app, *wired, *compressed});
    const auto total = used ? checkedSum({*used, *reclaimable}) : std::nullopt;
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
