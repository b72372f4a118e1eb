#include <gtest/gtest.h>

#include "platform/fakes/FakeHostStatistics.h"
#include "platform/fakes/FakeProcessTable.h"
#include "sensors/DisplayBands.h"
#include "sensors/LocalActivitySampler.h"
#include "sensors/SystemMonitor.h"

namespace vantrel {
namespace {

constexpr std::uint64_t GiB = 1ull << 30;

// Pages of 16 KiB laid out so that used = app + wired + compressed and the rest is free.
VmPageCounts pagesFor(std::uint64_t usedBytes, std::uint64_t totalBytes, std::uint64_t page = 16384)
{
    VmPageCounts p;
    p.active = usedBytes / page / 2;
    p.wire = usedBytes / page / 4;
    p.compressor = usedBytes / page - p.active - p.wire;
    p.inactive = (totalBytes - usedBytes) / page / 2;
    p.speculative = 1;
    p.free = (totalBytes - usedBytes) / page - p.inactive - p.speculative;
    return p;
}

TEST(SystemMonitor, MemoryLevelBandsAndArithmetic)
{
    auto host = std::make_shared<test::FakeHostStatistics>();
    SystemMonitor monitor(host);

    host->pages = pagesFor(7 * GiB, 10 * GiB);
    host->swap = SwapUsage{2 * GiB, GiB, GiB};
    MemoryPressureInfo info = monitor.readMemoryPressure();
    EXPECT_EQ(info.level, MemoryPressureLevel::Medium); // exactly 0.7
    EXPECT_EQ(info.usedBytes, 7 * GiB);
    EXPECT_EQ(info.totalBytes, 10 * GiB);
    EXPECT_EQ(info.appBytes + info.wiredBytes + info.compressedBytes, info.usedBytes);
    EXPECT_EQ(info.cachedBytes, (host->pages->inactive + 1) * 16384);
    EXPECT_EQ(info.swapUsedBytes, GiB);
    EXPECT_FALSE(info.swapUnavailable);

    EXPECT_EQ(SystemMonitor::levelForRatio(0.6999), MemoryPressureLevel::Low);
    EXPECT_EQ(SystemMonitor::levelForRatio(0.85), MemoryPressureLevel::High);
    EXPECT_EQ(SystemMonitor::levelForRatio(0.95), MemoryPressureLevel::Critical);
    EXPECT_EQ(SystemMonitor::levelForRatio(1.0), MemoryPressureLevel::Critical);

    host->pages = VmPageCounts{};
    EXPECT_EQ(monitor.readMemoryPressure().level, MemoryPressureLevel::Low); // total 0

    // Swap that cannot be read is reported as unavailable, not as zero use.
    host->pages = pagesFor(GiB, 16 * GiB);
    host->swap.reset();
    info = monitor.readMemoryPressure();
    EXPECT_EQ(info.level, MemoryPressureLevel::Low);
    EXPECT_TRUE(info.swapUnavailable);
    EXPECT_EQ(info.swapUsedBytes, 0u);

    // Failed statistics and overflowing products read as unknown with nothing else.
    const MemoryPressureInfo unknown;
    host->pages.reset();
    EXPECT_EQ(monitor.readMemoryPressure(), unknown);
    host->pages = VmPageCounts{~0ull / 2, 0, 0, 0, 0, 0};
    EXPECT_EQ(monitor.readMemoryPressure(), unknown);
    host->pages = VmPageCounts{0, 1ull << 49, 0, 1ull << 49, 0, 0};
    EXPECT_EQ(monitor.readMemoryPressure(), unknown);
    EXPECT_EQ(memoryPressureLevelText(unknown.level), QStringLiteral("unknown"));
}

struct Sampler {
    std::shared_ptr<test::FakeHostStatistics> host = std::make_shared<test::FakeHostStatistics>();
    std::shared_ptr<test::FakeProcessTable> table = std::make_shared<test::FakeProcessTable>();
    int batteryReads = 0;
    LocalActivitySampler sampler{host, table,
                                 [this] {
        ++batteryReads;
        return LocalBatteryActivity{QStringLiteral("AC Power"), QStringLiteral("dashboard.battery_activity.charging")};
                                 }};
};

TEST(LocalActivitySampler, CpuLoadIsTheDeltaBetweenSamplesEvenAcrossWrapAround)
{
    Sampler s;
    s.table->processes = {{1, QStringLiteral("init"), 1}, {2, QStringLiteral("a"), 4}};
    LocalActivityFields fields;
    fields.cpuUserPercent = 12;

    s.host->cpuSamples = {CpuLoadTicks{100, 50, 800, 50}};
    s.sampler.refreshLocalCPULoad(fields);
    EXPECT_DOUBLE_EQ(fields.cpuUserPercent, 12.0); // the first sample gives no percentages
    EXPECT_EQ(fields.previousCPULoad, (CpuLoadTicks{100, 50, 800, 50}));
    EXPECT_EQ(fields.processCount, 2);
    EXPECT_EQ(fields.threadCount, 5);

    // user +150, system +100, idle +700, nice +50 over 1000 ticks; the user counter wrapped.
    LocalActivityFields wrapped;
    wrapped.previousCPULoad = CpuLoadTicks{0xFFFFFFFFu - 49, 50, 800, 50};
    LocalActivitySampler::applyCpuDelta(wrapped, CpuLoadTicks{100, 150, 1500, 100});
    EXPECT_DOUBLE_EQ(wrapped.cpuSystemPercent, 10.0);
    EXPECT_DOUBLE_EQ(wrapped.cpuUserPercent, 20.0);
    EXPECT_DOUBLE_EQ(wrapped.cpuIdlePercent, 70.0);

    // No ticks passed: the total is taken as 1 and every share is 0.
    LocalActivitySampler::applyCpuDelta(wrapped, CpuLoadTicks{100, 150, 1500, 100});
    EXPECT_DOUBLE_EQ(wrapped.cpuIdlePercent, 0.0);

    // A failed sample leaves the percentages and the previous sample alone, but still counts.
    s.host->cpuSamples = {std::nullopt};
    s.table->processes.clear();
    fields.cpuIdlePercent = 55;
    s.sampler.refreshLocalCPULoad(fields);
    EXPECT_DOUBLE_EQ(fields.cpuIdlePercent, 55.0);
    EXPECT_EQ(fields.previousCPULoad, (CpuLoadTicks{100, 50, 800, 50}));
    EXPECT_EQ(fields.processCount, 0);
    EXPECT_EQ(fields.threadCount, 0);
}

TEST(LocalActivitySampler, ProcessCountIsTheNumberOfProcessesCappedAt4096)
{
    Sampler s;
    for (int pid = 1; pid <= 5000; ++pid)
        s.table->processes.push_back({pid, QStringLiteral("p"), 2});
    s.table->uninspectable = {3, 4};
    EXPECT_EQ(s.sampler.localProcessThreadCounts(), (ProcessThreadCounts{4096, 2 * 4094}));

    s.table->processes = {{0, QStringLiteral("kernel_task"), 300}, {7, QStringLiteral("x"), 3}};
    s.table->uninspectable.clear();
    EXPECT_EQ(s.sampler.localProcessThreadCounts(), (ProcessThreadCounts{2, 3}));
}

TEST(LocalActivitySampler, MemoryTextsAndFormatBytes)
{
    EXPECT_EQ(formatBytes(1073741824.0), QStringLiteral("1.0GB"));
    EXPECT_EQ(formatBytes(536870912.0), QStringLiteral("512MB"));
    EXPECT_EQ(formatBytes(17.5 * GiB), QStringLiteral("17.5GB"));
    EXPECT_EQ(formatBytes(0.0), QStringLiteral("0MB"));
    EXPECT_EQ(formatBytes(std::nullopt), QStringLiteral("-"));
    EXPECT_EQ(formatBytes(-1.0), QStringLiteral("-"));

    Sampler s;
    s.host->pages = pagesFor(12 * GiB + GiB / 2, 16 * GiB);
    s.host->swap = SwapUsage{4 * GiB, 3 * GiB, GiB};
    LocalActivityFields fields;
    s.sampler.refreshLocalMemoryDetails(fields);
    EXPECT_EQ(fields.memoryLevel, QStringLiteral("medium"));
    EXPECT_EQ(fields.memoryUsedGB, QStringLiteral("12 / 16 GB")); // truncated, not rounded
    EXPECT_EQ(fields.wiredMemoryText, QStringLiteral("3.1GB"));
    EXPECT_EQ(fields.swapUsedText, QStringLiteral("1.0GB"));

    s.host->swap.reset();
    s.sampler.refreshLocalMemoryDetails(fields);
    EXPECT_EQ(fields.swapUsedText, QStringLiteral("-"));

    // Failed statistics leave the texts as they were.
    s.host->pages.reset();
    s.sampler.refreshLocalMemoryDetails(fields);
    EXPECT_EQ(fields.memoryUsedGB, QStringLiteral("12 / 16 GB"));
}

TEST(LocalActivitySampler, FallbackRunsOnlyWhereTheDaemonLeftGaps)
{
    Sampler s;
    s.table->processes = {{1, QStringLiteral("init"), 1}};
    s.host->cpuSamples = {CpuLoadTicks{1, 1, 1, 1}};
    s.host->pages = pagesFor(GiB, 8 * GiB);
    s.host->swap = SwapUsage{};

    LocalActivityFields complete;
    complete.cpuSystemPercent = 5;
    complete.cpuUserPercent = 10;
    complete.cpuIdlePercent = 85;
    complete.processCount = 400;
    complete.threadCount = 1800;
    complete.memoryLevel = QStringLiteral("normal");
    complete.memoryUsedGB = QStringLiteral("10 / 16 GB");
    complete.appMemoryText = complete.wiredMemoryText = complete.compressedMemoryText = complete.cachedFilesText
        = complete.swapUsedText = QStringLiteral("1.0GB");
    complete.batteryPowerSource = QStringLiteral("Battery Power");
    complete.batteryActivityState = QStringLiteral("dashboard.battery_activity.on_battery");
    LocalActivityFields unchanged = complete;
    s.sampler.applyLocalActivityFallback(unchanged);
    EXPECT_EQ(unchanged.processCount, 400);
    EXPECT_EQ(unchanged.memoryUsedGB, QStringLiteral("10 / 16 GB"));
    EXPECT_FALSE(unchanged.previousCPULoad);
    EXPECT_EQ(s.batteryReads, 0);

    // An all-idle snapshot (0 %, 0 %, 100 %) is an empty one.
    LocalActivityFields idle = complete;
    idle.cpuSystemPercent = idle.cpuUserPercent = 0;
    idle.cpuIdlePercent = 100;
    s.sampler.applyLocalActivityFallback(idle);
    EXPECT_EQ(idle.processCount, 1);
    EXPECT_TRUE(idle.previousCPULoad);
    EXPECT_EQ(idle.memoryUsedGB, QStringLiteral("10 / 16 GB"));

    // One missing memory text replaces all of them; a missing battery text reads the battery.
    LocalActivityFields gaps = complete;
    gaps.swapUsedText = QStringLiteral("-");
    gaps.batteryActivityState = QStringLiteral("-");
    s.sampler.applyLocalActivityFallback(gaps);
    EXPECT_EQ(gaps.memoryUsedGB, QStringLiteral("1 / 8 GB"));
    EXPECT_EQ(gaps.memoryLevel, QStringLiteral("low"));
    EXPECT_EQ(gaps.batteryPowerSource, QStringLiteral("AC Power"));
    EXPECT_EQ(gaps.batteryActivityState, QStringLiteral("dashboard.battery_activity.charging"));
    EXPECT_EQ(gaps.processCount, 400);
}

TEST(DisplayBands, GaugePositionsAndColours)
{
    EXPECT_DOUBLE_EQ(memoryGaugePosition(QStringLiteral("CRITICAL"), {}), 0.95);
    EXPECT_DOUBLE_EQ(memoryGaugePosition(QStringLiteral("high"), {}), 0.82);
    EXPECT_DOUBLE_EQ(memoryGaugePosition(QStringLiteral("Warning"), {}), 0.55);
    EXPECT_DOUBLE_EQ(memoryGaugePosition(QStringLiteral("normal"), {}), 0.18);
    EXPECT_DOUBLE_EQ(memoryGaugePosition(QStringLiteral("unknown"), QStringLiteral("12 / 16 GB")), 0.75);
    EXPECT_DOUBLE_EQ(memoryGaugePosition(QStringLiteral("unknown"), QStringLiteral("20 / 16 GB")), 1.0);

    EXPECT_DOUBLE_EQ(memoryUsedRatio(QStringLiteral("512 MB / 16 GB")), 0.03125);
    EXPECT_DOUBLE_EQ(memoryUsedRatio(QStringLiteral("12 / 0 GB")), 0.0);
    EXPECT_DOUBLE_EQ(memoryUsedRatio(QStringLiteral("1 TB / 2048 GB")), 0.5);
    EXPECT_DOUBLE_EQ(memoryUsedRatio(QStringLiteral("8.5/17")), 0.5);
    EXPECT_DOUBLE_EQ(memoryUsedRatio(QStringLiteral("-")), 0.0);
    EXPECT_DOUBLE_EQ(memoryUsedRatio(QStringLiteral("/ 16 GB")), 0.0);
    EXPECT_DOUBLE_EQ(memoryUsedRatio(QStringLiteral("a / b")), 0.0);
    EXPECT_DOUBLE_EQ(memoryUsedRatio(QStringLiteral("1.2.3 / 4")), 0.0);

    EXPECT_EQ(memoryUseColour(0.9), BandColour::Red);
    EXPECT_EQ(memoryUseColour(0.75), BandColour::Orange);
    EXPECT_EQ(memoryUseColour(0.7499), BandColour::PrimaryText);
    EXPECT_EQ(ssdTemperatureColour(70), BandColour::Red);
    EXPECT_EQ(ssdTemperatureColour(55), BandColour::Orange);
    EXPECT_EQ(ssdTemperatureColour(54.9), BandColour::Cyan);
}

} // namespace
} // namespace vantrel
