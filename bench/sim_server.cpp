// "get_status" requests per second that vantrel-sim's server sustains from concurrent clients,
// each request on its own connection as the application sends it. The server runs in this
// process, or, with VANTREL_SIM_BENCH_SOCKET set, is a running vantrel-sim on that socket.
#include <memory>
#include <mutex>

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include "daemonserver/RawExchange.h"
#include "sim/protocol/SimDaemon.h"
#include "sim/server/SimServer.h"

namespace {

using namespace vantrel::sim;
using namespace vantrel::daemonserver;

struct Served {
    QTemporaryDir dir;
    std::unique_ptr<SimDaemon> daemon;
    std::unique_ptr<SimServer> server;

    Served()
    {
        SimDaemonConfig config;
        config.stateDirectory = dir.filePath(QStringLiteral("state"));
        config.updateStatusPath = dir.filePath(QStringLiteral("status.json"));
        config.manualClock = true;
        daemon = std::make_unique<SimDaemon>(config);
        server = std::make_unique<SimServer>(*daemon, dir.filePath(QStringLiteral("d.sock")));
        QString error;
        if (!server->start(&error))
            qFatal("cannot start the server: %s", qPrintable(error));
    }
};

Served& served()
{
    static Served s;
    return s;
}

// The socket the clients talk to.
QString serverSocket()
{
    const QByteArray external = qgetenv("VANTREL_SIM_BENCH_SOCKET");
    return external.isEmpty() ? served().server->socketPath() : QString::fromLocal8Bit(external);
}

void BM_GetStatus(benchmark::State& state)
{
    const QString socket = serverSocket();
    const QByteArray request = R"({"cmd":"get_status"})";
    for (auto _ : state) {
        const RawReply reply = rawExchange(socket, request);
        if (reply.bytes.isEmpty())
            state.SkipWithError("no reply");
        benchmark::DoNotOptimize(reply.bytes.data());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GetStatus)->Threads(1)->Threads(4)->UseRealTime()->MinTime(2.0);

void BM_GetPowerPolicyState(benchmark::State& state)
{
    const QString socket = serverSocket();
    const QByteArray request = R"({"cmd":"get_power_policy_state"})";
    for (auto _ : state)
        benchmark::DoNotOptimize(rawExchange(socket, request).bytes.data());
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GetPowerPolicyState)->Threads(4)->UseRealTime()->MinTime(2.0);

// One simulated second: the model step and both state files rewritten (always in this process).
void BM_SimulationStep(benchmark::State& state)
{
    SimDaemon& daemon = *served().daemon;
    for (auto _ : state)
        daemon.advance(1);
}
BENCHMARK(BM_SimulationStep);

} // namespace

BENCHMARK_MAIN();
