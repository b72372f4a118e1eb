// Figures for fan control: evaluating a curve, loading and saving the preset file, and the
// fan-behaviour log with a full three-day file on the main thread's tick.
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include "base/JsonLines.h"
#include "base/Paths.h"
#include "base/Preferences.h"
#include "base/QtDispatch.h"
#include "base/VirtualDispatch.h"
#include "fan/FanControlState.h"
#include "fan/FanCurveMath.h"
#include "fan/FanPresetStore.h"
#include "fan/MacOSFanCurveLog.h"
#include "fan/MacOSFanCurveSummary.h"
#include "fan/MacOSFanObserver.h"

using namespace vantrel;

namespace {

constexpr int kFullLogLines = 25920; // 72 hours, one sample every 10 s

void BM_Interpolate(benchmark::State& state)
{
    const FanCurveSettings& curve = FanCurveSettings::defaultBalanced();
    double t = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(calculateInterpolatedFanPercent(t, curve));
        t = t >= 110 ? 0 : t + 0.37;
    }
}
BENCHMARK(BM_Interpolate);

void BM_InterpolateUnordered(benchmark::State& state)
{
    FanCurveSettings curve = FanCurveSettings::defaultBalanced();
    std::swap(curve.points[1], curve.points[3]);
    double t = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(calculateInterpolatedFanPercent(t, curve));
        t = t >= 110 ? 0 : t + 0.37;
    }
}
BENCHMARK(BM_InterpolateUnordered);

struct PresetFiles {
    QTemporaryDir dir;
    Paths paths = Paths::underRoot(dir.path());
    MemoryPreferences prefs;
    SystemClock clock;
    FanPresetStore store{paths, prefs, clock};
    std::vector<FanCurveSettings> custom;
    PresetFiles()
    {
        for (int i = 0; i < 3; ++i) {
            FanCurveSettings c = FanCurveSettings::defaultBalanced();
            c.id = QUuid::createUuid();
            c.name = QStringLiteral("Custom %1").arg(i);
            c.isSystemPreset = false;
            custom.push_back(c);
        }
        store.save(custom);
    }
};

void BM_PresetLoad(benchmark::State& state)
{
    PresetFiles files;
    for (auto _ : state)
        benchmark::DoNotOptimize(files.store.load());
}
BENCHMARK(BM_PresetLoad)->Unit(benchmark::kMicrosecond);

void BM_PresetSave(benchmark::State& state)
{
    PresetFiles files;
    for (auto _ : state)
        files.store.save(files.custom);
}
BENCHMARK(BM_PresetSave)->Unit(benchmark::kMicrosecond);

// A log file holding a full 72 hours that ends now; later samples follow 10 s apart.
template <class DispatchType> struct FullLog {
    QTemporaryDir dir;
    Paths paths = Paths::underRoot(dir.path());
    DispatchType dispatch;
    MacOSFanCurveLog log{paths, dispatch};
    QDateTime cursor = dispatch.clock().now();
    int counter = 0;
    FullLog()
    {
        std::vector<QJsonObject> lines;
        for (int i = kFullLogLines - 1; i >= 0; --i)
            lines.push_back(sample(cursor.addSecs(-10LL * i), i).toJson());
        jsonl::writeAll(log.fileURL(), lines);
    }
    static ObservedMacOSFanPoint sample(const QDateTime& at, int i)
    {
        return {at, 45.0 + (i % 200) * 0.1, 30.0 + (i % 50), 1800 + (i % 37) * 40, 6000, QStringLiteral("CPU")};
    }
    ObservedMacOSFanPoint next(int secondsLater)
    {
        cursor = cursor.addSecs(secondsLater);
        return sample(cursor, ++counter);
    }
};

// Steady state in auto mode: every tenth tick keeps a sample, which pushes the oldest out of the
// window. All work, including the deferred rewrite of the file, on the calling thread.
void BM_AppendAndLoadRecent_Kept(benchmark::State& state)
{
    FullLog<VirtualDispatch> full;
    full.log.appendAndLoadRecent(full.next(10)); // the first kept sample rewrites the file once
    for (auto _ : state) {
        benchmark::DoNotOptimize(full.log.appendAndLoadRecent(full.next(10)).data());
        full.dispatch.runUntilIdle();
    }
    state.counters["samples"] = static_cast<double>(full.log.loadRecent(72).size());
}
BENCHMARK(BM_AppendAndLoadRecent_Kept)->Unit(benchmark::kMillisecond);

// The same with the real queues: what the main thread waits for. Between ticks (10 s apart in
// reality) the log's queue finishes the rewrite, so that part is left out of the timing.
void BM_AppendAndLoadRecent_KeptMainThreadWait(benchmark::State& state)
{
    FullLog<QtDispatch> full;
    full.log.appendAndLoadRecent(full.next(10));
    for (auto _ : state) {
        state.PauseTiming();
        full.log.loadRecent(0); // waits until the previous rewrite is done
        state.ResumeTiming();
        benchmark::DoNotOptimize(full.log.appendAndLoadRecent(full.next(10)).data());
    }
}
BENCHMARK(BM_AppendAndLoadRecent_KeptMainThreadWait)->Unit(benchmark::kMillisecond)->UseRealTime();

// The other nine ticks: the sample is dropped and the loaded window is returned.
void BM_AppendAndLoadRecent_Dropped(benchmark::State& state)
{
    FullLog<VirtualDispatch> full;
    auto last = full.next(10);
    full.log.appendAndLoadRecent(last);
    full.dispatch.runUntilIdle();
    for (auto _ : state) {
        last.timestamp = last.timestamp.addMSecs(1);
        benchmark::DoNotOptimize(full.log.appendAndLoadRecent(last).data());
    }
}
BENCHMARK(BM_AppendAndLoadRecent_Dropped)->Unit(benchmark::kMillisecond);

// A log that has not seen the file yet (first call after start-up, or after the file changed
// behind its back): read, decode and rewrite everything. This is what every kept sample would
// cost without reusing the previous read.
void BM_AppendAndLoadRecent_ColdFile(benchmark::State& state)
{
    FullLog<VirtualDispatch> full;
    for (auto _ : state) {
        MacOSFanCurveLog fresh(full.paths, full.dispatch);
        benchmark::DoNotOptimize(fresh.appendAndLoadRecent(full.next(10)).data());
        full.dispatch.runUntilIdle();
    }
}
BENCHMARK(BM_AppendAndLoadRecent_ColdFile)->Unit(benchmark::kMillisecond);

// Start-up and the fan screen appearing: the first read of a full file.
void BM_LoadRecent_ColdFile(benchmark::State& state)
{
    FullLog<VirtualDispatch> full;
    for (auto _ : state) {
        MacOSFanCurveLog fresh(full.paths, full.dispatch);
        benchmark::DoNotOptimize(fresh.loadRecent(72).data());
    }
}
BENCHMARK(BM_LoadRecent_ColdFile)->Unit(benchmark::kMillisecond);

void BM_SummaryOfFullLog(benchmark::State& state)
{
    FullLog<VirtualDispatch> full;
    const auto samples = full.log.loadRecent(72);
    for (auto _ : state)
        benchmark::DoNotOptimize(MacOSFanCurveSummary(samples));
}
BENCHMARK(BM_SummaryOfFullLog)->Unit(benchmark::kMillisecond);

// One monitoring tick's observation step as the main thread sees it (log, publish, summarise),
// averaged over ticks of which one in ten keeps a sample; the deferred file rewrite is left out.
void BM_RecordSampleTick(benchmark::State& state)
{
    FullLog<VirtualDispatch> full;
    MemoryPreferences prefs;
    FanControlState fanState(prefs);
    MacOSFanObserver observer(fanState, full.log, [](int) { return 6000; });
    int tick = 0;
    HistoryDataPoint point;
    point.cpuTemp = 55;
    point.gpuTemp = 40;
    point.batteryTemp = 30;
    point.fan0Rpm = 2000;
    point.fan1Rpm = 1900;
    for (auto _ : state) {
        ++tick;
        full.cursor = full.cursor.addSecs(1);
        point.timestamp = full.cursor;
        observer.recordMacOSFanCurveSample(point);
        state.PauseTiming();
        full.dispatch.runUntilIdle();
        state.ResumeTiming();
    }
    state.counters["samples"] = static_cast<double>(fanState.macOSFanCurveSamples().size());
}
BENCHMARK(BM_RecordSampleTick)->Unit(benchmark::kMillisecond);

} // namespace
