// The local readings on this machine: memory pressure, one CPU sample, one process/thread count.
#include <QProcess>

#include <benchmark/benchmark.h>

#include "platform/linux/LinuxHostStatistics.h"
#include "platform/linux/LinuxProcessTable.h"
#include "sensors/LocalActivitySampler.h"
#include "sensors/SystemMonitor.h"

namespace {

using namespace vantrel;

void BM_ReadMemoryPressure(benchmark::State& state)
{
    SystemMonitor monitor(std::make_shared<LinuxHostStatistics>());
    for (auto _ : state) {
        auto info = monitor.readMemoryPressure();
        benchmark::DoNotOptimize(info);
    }
    const MemoryPressureInfo info = monitor.readMemoryPressure();
    state.counters["used_GiB"] = static_cast<double>(info.usedBytes) / (1ull << 30);
    state.counters["total_GiB"] = static_cast<double>(info.totalBytes) / (1ull << 30);
}
BENCHMARK(BM_ReadMemoryPressure)->Unit(benchmark::kMicrosecond);

void BM_LocalCpuSample(benchmark::State& state)
{
    const LinuxHostStatistics host;
    LocalActivityFields fields;
    for (auto _ : state) {
        if (const auto ticks = host.cpuLoad())
            LocalActivitySampler::applyCpuDelta(fields, *ticks);
        benchmark::DoNotOptimize(fields);
    }
}
BENCHMARK(BM_LocalCpuSample)->Unit(benchmark::kMicrosecond);

// Processes as `ps -e` lists them: its output lines without the header.
int psProcessCount()
{
    QProcess ps;
    ps.start(QStringLiteral("ps"), {QStringLiteral("-e")});
    if (!ps.waitForFinished(10000))
        return -1;
    const QList<QByteArray> lines = ps.readAllStandardOutput().trimmed().split('\n');
    return static_cast<int>(lines.size()) - 1;
}

void BM_ProcessThreadCount(benchmark::State& state)
{
    const LocalActivitySampler sampler(std::make_shared<LinuxHostStatistics>(), std::make_shared<LinuxProcessTable>(),
                                       {});
    ProcessThreadCounts counts;
    for (auto _ : state) {
        counts = sampler.localProcessThreadCounts();
        benchmark::DoNotOptimize(counts);
    }
    // Counted right after the timed loop so both figures describe the same moment.
    const ProcessThreadCounts seen = sampler.localProcessThreadCounts();
    const int ps = psProcessCount();
    state.counters["processes"] = seen.processes;
    state.counters["threads"] = seen.threads;
    state.counters["ps_e_processes"] = ps;
}
BENCHMARK(BM_ProcessThreadCount)->Unit(benchmark::kMicrosecond);

} // namespace
