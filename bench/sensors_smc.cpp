// The smc tool's output parse and one full catalogue refresh through the simulator's tool.
#include <sys/resource.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include "base/AtomicFile.h"
#include "platform/linux/LinuxProcessRunner.h"
#include "sensors/SMCHelper.h"
#include "sensors/SmcToolOutputParser.h"

namespace {

using namespace vantrel;

// What the tool prints for the twenty keys of one refresh on a typical machine.
QString twentyLines()
{
    QString out;
    int i = 0;
    for (const QString& key : SMCHelper::keysToRead())
        out += QStringLiteral("  %1  [flt ]  %2 (bytes 00 00 3d 42)\n").arg(key).arg(40.25 + i++);
    return out;
}

void BM_ParseSmcOutput20Lines(benchmark::State& state)
{
    const QString output = twentyLines();
    for (auto _ : state) {
        auto values = parseSmcToolOutput(output);
        benchmark::DoNotOptimize(values);
    }
    state.counters["lines"] = 20;
}
BENCHMARK(BM_ParseSmcOutput20Lines);

void BM_CachesFrom20Lines(benchmark::State& state)
{
    const QString output = twentyLines();
    for (auto _ : state) {
        auto caches = SMCHelper::cachesFromOutput(output);
        benchmark::DoNotOptimize(caches);
    }
}
BENCHMARK(BM_CachesFrom20Lines);

QString smcToolPath()
{
    const QString build = QProcessEnvironment::systemEnvironment().value(QStringLiteral("VANTREL_BUILD_DIR"));
    const QString fromBuild = build + QStringLiteral("/bin/vantrel-smc");
    if (!build.isEmpty() && QFileInfo(fromBuild).isExecutable())
        return fromBuild;
    return QCoreApplication::applicationDirPath() + QStringLiteral("/vantrel-smc");
}

double childCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// One refresh: bash starts the tool twenty times. "Time" is wall time, "CPU" this process's
// own CPU; child_cpu_ms is what bash and the tools spent.
void BM_RefreshAllThroughSimTool(benchmark::State& state)
{
    const QString tool = smcToolPath();
    if (!QFileInfo(tool).isExecutable()) {
        state.SkipWithError("vantrel-smc is not built");
        return;
    }
    // A running simulator's key store when VANTREL_SIM_STATE_DIR names one (bench/sensors_figures.sh),
    // else a store of the twenty keys written here.
    const QByteArray running = qgetenv("VANTREL_SIM_STATE_DIR");
    const bool useRunning
        = !running.isEmpty() && QFileInfo::exists(QString::fromLocal8Bit(running) + QStringLiteral("/smc-keys.txt"));
    QTemporaryDir stateDir;
    if (!useRunning) {
        QByteArray keys = "# benchmark key store\n";
        for (const QString& key : SMCHelper::keysToRead())
            keys += key.toLatin1() + " flt_ 00003d42\n";
        writeFileAtomically(stateDir.path() + QStringLiteral("/smc-keys.txt"), keys);
        qputenv("VANTREL_SIM_STATE_DIR", stateDir.path().toLocal8Bit());
    }

    SMCHelper helper(std::make_shared<LinuxProcessRunner>(), tool);
    double childCpu = 0;
    for (auto _ : state) {
        const double before = childCpuSeconds();
        helper.refreshAll();
        childCpu += childCpuSeconds() - before;
    }
    if (!useRunning)
        qunsetenv("VANTREL_SIM_STATE_DIR");
    state.counters["sim_key_store"] = useRunning ? 1 : 0;
    if (helper.cachedReadings().size() != 15)
        state.SkipWithError("the tool did not answer every catalogue key");
    state.counters["child_cpu_ms"] = benchmark::Counter(childCpu * 1000.0, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_RefreshAllThroughSimTool)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(100)
    ->ReportAggregatesOnly(true);

} // namespace
