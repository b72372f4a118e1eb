// Cost of one daemon exchange: the client's "get_status" (serial queue hop, socket, JSON both
// ways) next to the bare floor of connect + write + read of the same bytes; and the parse of a
// 1 MiB reply. Exchanges report their median and 99th percentile in microseconds; one benchmark
// runs both alternately and reports them side by side with their ratios.
#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>
#include <vector>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include "base/JsonAccess.h"
#include "base/QtDispatch.h"
#include "daemon/DaemonClient.h"
#include "daemon/DaemonSocketTransport.h"
#include "support/ScriptedSocketPeer.h"

namespace {

using namespace vantrel;
using test::ScriptedSocketPeer;

constexpr int kExchanges = 10000;
const QByteArray kStatusReply = R"({"battery_percent":80,"cpu_temp":51.5,"fan0":2400,"fan1":2450,"status":"ok"})";
const QByteArray kStatusRequest = R"({"cmd":"get_status"})";

struct Peer {
    QTemporaryDir dir;
    std::unique_ptr<ScriptedSocketPeer> peer;
    Peer()
    {
        peer = std::make_unique<ScriptedSocketPeer>(dir.filePath(QStringLiteral("d.sock")));
        peer->answerAlways(ScriptedSocketPeer::reply(kStatusReply));
    }
};

void reportPercentiles(benchmark::State& state, std::vector<double>& micros)
{
    std::sort(micros.begin(), micros.end());
    state.counters["median_us"] = micros[micros.size() / 2];
    state.counters["p99_us"] = micros[std::min(micros.size() - 1, micros.size() * 99 / 100)];
}

template <class Exchange> void timeExchanges(benchmark::State& state, Exchange exchange)
{
    std::vector<double> micros;
    micros.reserve(kExchanges);
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (!exchange()) {
            state.SkipWithError("exchange failed");
            return;
        }
        micros.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
    }
    reportPercentiles(state, micros);
}

void BM_GetStatusExchange(benchmark::State& state)
{
    Peer peer;
    QtDispatch dispatch;
    const DaemonClient client(std::make_shared<DaemonSocketTransport>(dispatch, peer.peer->path(), false));
    timeExchanges(state, [&] { return client.getStatus().has_value(); });
}
BENCHMARK(BM_GetStatusExchange)->Iterations(kExchanges)->Unit(benchmark::kMicrosecond)->UseRealTime();

// The bare floor: connect, one write, reads until a short one, over the same kind of socket.
class BareExchange {
public:
    explicit BareExchange(const QString& socketPath)
    {
        address_.sun_family = AF_UNIX;
        const QByteArray path = QFile::encodeName(socketPath);
        std::memcpy(address_.sun_path, path.constData(), static_cast<size_t>(path.size()) + 1);
    }
    bool operator()()
    {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        bool ok = fd >= 0 && ::connect(fd, reinterpret_cast<const sockaddr*>(&address_), sizeof address_) == 0
            && ::send(fd, kStatusRequest.constData(), static_cast<size_t>(kStatusRequest.size()), MSG_NOSIGNAL)
                == kStatusRequest.size();
        qsizetype total = 0;
        while (ok) {
            const ssize_t n = ::read(fd, buffer_, sizeof buffer_);
            if (n <= 0)
                break;
            total += n;
            if (n < static_cast<ssize_t>(sizeof buffer_))
                break;
        }
        if (fd >= 0)
            ::close(fd);
        return ok && total == kStatusReply.size();
    }

private:
    sockaddr_un address_{};
    char buffer_[DaemonSocketTransport::readChunkSize];
};

// The same bytes over the same kind of socket, with no queue, JSON or logging.
void BM_BareExchangeFloor(benchmark::State& state)
{
    Peer peer;
    BareExchange bare(peer.peer->path());
    timeExchanges(state, bare);
}
BENCHMARK(BM_BareExchangeFloor)->Iterations(kExchanges)->Unit(benchmark::kMicrosecond)->UseRealTime();

// Both side by side in one run, alternating which goes first, so that both see the same load:
// the median and 99th percentile of each and their ratios.
void BM_GetStatusAgainstFloor(benchmark::State& state)
{
    Peer peer;
    QtDispatch dispatch;
    const DaemonClient client(std::make_shared<DaemonSocketTransport>(dispatch, peer.peer->path(), false));
    BareExchange bare(peer.peer->path());
    std::vector<double> clientMicros;
    std::vector<double> bareMicros;
    clientMicros.reserve(kExchanges);
    bareMicros.reserve(kExchanges);
    const auto timed = [](std::vector<double>& into, auto&& exchange) {
        const auto start = std::chrono::steady_clock::now();
        const bool ok = exchange();
        into.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
        return ok;
    };
    bool clientFirst = true;
    for (auto _ : state) {
        const auto viaClient = [&] { return client.getStatus().has_value(); };
        const bool ok = clientFirst ? timed(clientMicros, viaClient) && timed(bareMicros, bare)
                                    : timed(bareMicros, bare) && timed(clientMicros, viaClient);
        if (!ok) {
            state.SkipWithError("exchange failed");
            return;
        }
        clientFirst = !clientFirst;
    }
    const auto percentile = [](std::vector<double>& v, int p) {
        std::sort(v.begin(), v.end());
        return v[std::min(v.size() - 1, v.size() * static_cast<size_t>(p) / 100)];
    };
    const double clientMedian = percentile(clientMicros, 50);
    const double clientP99 = percentile(clientMicros, 99);
    const double bareMedian = percentile(bareMicros, 50);
    const double bareP99 = percentile(bareMicros, 99);
    state.counters["client_p50_us"] = clientMedian;
    state.counters["floor_p50_us"] = bareMedian;
    state.counters["ratio_p50"] = clientMedian / bareMedian;
    state.counters["client_p99_us"] = clientP99;
    state.counters["floor_p99_us"] = bareP99;
    state.counters["ratio_p99"] = clientP99 / bareP99;
}
BENCHMARK(BM_GetStatusAgainstFloor)->Iterations(kExchanges)->Unit(benchmark::kMicrosecond)->UseRealTime();

// A reply of exactly 1 MiB shaped like an evidence-event listing.
QByteArray oneMiBReply()
{
    constexpr qsizetype size = 1024 * 1024;
    QJsonArray events;
    qsizetype eventBytes = 0;
    for (int i = 0;; ++i) {
        const QJsonObject event{{QStringLiteral("seq"), i},
                                {QStringLiteral("policy"), QStringLiteral("only_power.hold")},
                                {QStringLiteral("battery_percent"), 80 - i % 20},
                                {QStringLiteral("watts"), 12.5 + (i % 7) * 0.25},
                                {QStringLiteral("at"), QStringLiteral("2026-01-15T12:00:00Z")}};
        eventBytes += json::compact(event).size() + 1;
        if (eventBytes > size - 1024)
            break;
        events.append(event);
    }
    QJsonObject reply{{QStringLiteral("status"), QStringLiteral("ok")}, {QStringLiteral("events"), events}};
    reply.insert(QStringLiteral("pad"), QString());
    reply.insert(QStringLiteral("pad"), QString(size - json::compact(reply).size(), QLatin1Char('x')));
    return json::compact(reply);
}

void BM_ParseOneMiBReply(benchmark::State& state)
{
    const QByteArray bytes = oneMiBReply();
    for (auto _ : state) {
        auto reply = DaemonSocketTransport::decodeReply(bytes, QStringLiteral("get_evidence_events"));
        if (!reply) {
            state.SkipWithError("parse failed");
            return;
        }
        benchmark::DoNotOptimize(reply);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * bytes.size());
    state.counters["reply_bytes"] = static_cast<double>(bytes.size());
}
BENCHMARK(BM_ParseOneMiBReply)->Unit(benchmark::kMillisecond);

} // namespace
