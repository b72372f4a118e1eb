// Figures for the power logs: loading a day of 1 Hz power-only samples (and a week of them,
// where only the last day counts), and one battery telemetry append with a full 13-hour log.
#include <memory>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimeZone>

#include <benchmark/benchmark.h>

#include "base/JsonLines.h"
#include "base/Paths.h"
#include "base/VirtualDispatch.h"
#include "power/BatteryTelemetryLog.h"
#include "power/OnlyPowerEnergyStore.h"

using namespace vantrel;

namespace {

constexpr int kDaySeconds = 86400;

const QDateTime& benchNow()
{
    static const QDateTime now(QDate(2026, 3, 10), QTime(23, 59, 59), QTimeZone::utc());
    return now;
}

// A study log line as the study logger writes one, every field present.
QByteArray sampleLine(double epoch, int i)
{
    return QByteArrayLiteral(R"({"timestamp":"2026-03-10T12:00:00Z","epoch_seconds":)")
        + QByteArray::number(epoch, 'f', 3)
        + R"(,"phase":"only_power","cycle_count":311,"raw_max_capacity_mAh":4870,"instant_amperage_mA":)"
        + QByteArray::number(i % 7 == 0 ? -800 : -12)
        + R"(,"external_connected":true,"is_charging":false,"battery_power_watts":-0.6,"system_power_watts":)"
        + QByteArray::number(8.0 + (i % 40) * 0.5) + R"(,"policy_verified":true,"state_of_charge_percent":)"
        + QByteArray::number(60 + i % 20) + "}\n";
}

// Writes days × 86,400 one-second samples ending at benchNow() into the study log.
void writeStudyLog(const QString& path, int days)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    const double end = benchNow().toSecsSinceEpoch();
    QByteArray chunk;
    for (int i = days * kDaySeconds - 1; i >= 0; --i) {
        chunk += sampleLine(end - i, i);
        if (chunk.size() > (1 << 20)) {
            f.write(chunk);
            chunk.clear();
        }
    }
    f.write(chunk);
}

void BM_OnlyPowerEnergyLoad(benchmark::State& state)
{
    QTemporaryDir dir;
    const Paths paths = Paths::underRoot(dir.path());
    OnlyPowerEnergyStore store(
        paths, [] { return std::optional<double>(97.0); }, QTimeZone::utc());
    writeStudyLog(store.logURL(), static_cast<int>(state.range(0)));
    size_t samples = 0;
    for (auto _ : state) {
        auto snapshot = store.load(benchNow());
        samples = snapshot.samples.size();
        benchmark::DoNotOptimize(snapshot.observedEFC);
    }
    state.counters["samples_today"] = static_cast<double>(samples);
    state.counters["file_MB"] = static_cast<double>(QFileInfo(store.logURL()).size()) / 1e6;
}
BENCHMARK(BM_OnlyPowerEnergyLoad)->Arg(1)->Arg(7)->ArgName("days")->Unit(benchmark::kMillisecond);

// Own log with 13 hours of records (every spacing_s seconds); study: 0 none, 1 a day of 1 Hz
// study samples already read by an earlier call (the ten-second refresh), 2 the same read cold.
void BM_TelemetryAppendFullLog(benchmark::State& state)
{
    QTemporaryDir dir;
    const Paths paths = Paths::underRoot(dir.path());
    VirtualDispatch dispatch;
    dispatch.clock().setWallTime(benchNow());
    auto log = std::make_unique<BatteryTelemetryLog>(paths, dispatch);
    const int spacing = static_cast<int>(state.range(0));
    const int study = static_cast<int>(state.range(1));
    std::vector<QJsonObject> records;
    for (int s = 13 * 3600; s > 0; s -= spacing)
        records.push_back(BatteryTelemetryRecord{benchNow().addSecs(-s), 70, 30.0 + (s % 3), false}.toJson());
    if (study)
        writeStudyLog(log->onlyPowerStudyLogURL(), 1);
    if (study == 1)
        log->loadRecent(BatteryTelemetryLog::chartHours);
    int percent = 0;
    size_t returned = 0;
    for (auto _ : state) {
        state.PauseTiming();
        jsonl::writeAll(log->logURL(), records);
        if (study == 2)
            log = std::make_unique<BatteryTelemetryLog>(paths, dispatch);
        state.ResumeTiming();
        // A changed percent always appends, so every iteration is a full read-modify-write.
        auto recent = log->appendAndLoadRecent(percent++ % 101, 31.0, true);
        returned = recent.size();
    }
    state.counters["own_records"] = static_cast<double>(records.size());
    state.counters["returned"] = static_cast<double>(returned);
}
BENCHMARK(BM_TelemetryAppendFullLog)
    ->Args({60, 0})
    ->Args({10, 0})
    ->Args({60, 1})
    ->Args({60, 2})
    ->ArgNames({"spacing_s", "study"})
    ->Unit(benchmark::kMillisecond);

// The steady state of an open power screen: the log keeps its own full 13-hour file between
// calls, the clock moves 10 s per refresh, and each refresh stores a record (pushing the oldest
// out of the window), so every iteration appends and rewrites.
void BM_TelemetryAppendSteady(benchmark::State& state)
{
    QTemporaryDir dir;
    const Paths paths = Paths::underRoot(dir.path());
    VirtualDispatch dispatch;
    dispatch.clock().setWallTime(benchNow());
    BatteryTelemetryLog log(paths, dispatch);
    const int spacing = static_cast<int>(state.range(0));
    std::vector<QJsonObject> records;
    for (int s = 13 * 3600; s > 0; s -= spacing)
        records.push_back(BatteryTelemetryRecord{benchNow().addSecs(-s), 70, 30.0 + (s % 3), false}.toJson());
    jsonl::writeAll(log.logURL(), records);
    log.loadRecent(BatteryTelemetryLog::chartHours);
    int percent = 0;
    size_t returned = 0;
    for (auto _ : state) {
        dispatch.advanceSeconds(spacing);
        returned = log.appendAndLoadRecent(percent++ % 101, 31.0, true).size();
    }
    state.counters["returned"] = static_cast<double>(returned);
}
BENCHMARK(BM_TelemetryAppendSteady)->Arg(10)->Arg(60)->ArgName("spacing_s")->Unit(benchmark::kMillisecond);

} // namespace
