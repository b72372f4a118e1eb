// Cost of one daemon exchange: the client's "get_status" (serial queue hop, socket, JSON both
// ways) next to the bare floor of connect + write + read of the same bytes; and the parse of a
// 1 MiB reply. Exchanges report their median and 99th percentile in microseconds.
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

// The same bytes over the same kind of socket, with no queue, JSON or logging.
void BM_BareExchangeFloor(benchmark::State& state)
{
    Peer peer;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray path = QFile::encodeName(peer.peer->path());
    std::memcpy(address.sun_path, path.constData(), static_cast<size_t>(path.size()) + 1);
    char buffer[DaemonSocketTransport::readChunkSize];
    timeExchanges(state, [&] {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        bool ok = fd >= 0 && ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0
            && ::send(fd, kStatusRequest.constData(), static_cast<size_t>(kStatusRequest.size()), MSG_NOSIGNAL)
                == kStatusRequest.size();
        qsizetype total = 0;
        while (ok) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n <= 0)
                break;
            total += n;
            if (n < static_cast<ssize_t>(sizeof buffer))
                break;
        }
        if (fd >= 0)
            ::close(fd);
        return ok && total == kStatusReply.size();
    });
}
BENCHMARK(BM_BareExchangeFloor)->Iterations(kExchanges)->Unit(benchmark::kMicrosecond)->UseRealTime();

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
