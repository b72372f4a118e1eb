#pragma once
// The daemon socket: one JSON request per connection, one reply, then close. Every
// connection is served on its own thread, so a slow or faulted reply never holds up others.
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include <QString>

#include "sim/protocol/SimDaemon.h"

namespace vantrel::sim {

class SimServer {
public:
    // Time a client gets to send its request, and the longest a reply may wait for the client
    // to read, in milliseconds.
    static constexpr int kDefaultRequestTimeoutMs = 5000;
    static constexpr int kMaxRequestBytes = 1 << 20;
    static constexpr int kMaxConnections = 256;

    SimServer(SimDaemon& daemon, QString socketPath, int requestTimeoutMs = kDefaultRequestTimeoutMs);
    ~SimServer();

    // Binds and listens (replacing a stale socket file; refusing when another daemon answers there).
    bool start(QString* error);
    // Stops accepting, ends pending delays, waits for the open connections and removes the socket.
    void stop();
    QString socketPath() const { return socketPath_; }
    int activeConnections() const { return active_.load(); }

private:
    void acceptLoop();
    void serve(int fd);
    // Waits ms milliseconds unless the server stops first; false when stopped.
    bool pause(int ms);

    SimDaemon& daemon_;
    QString socketPath_;
    int requestTimeoutMs_;
    int listenFd_ = -1;
    int wakePipe_[2] = {-1, -1};
    std::thread acceptor_;
    std::atomic<bool> stopping_{false};
    std::atomic<int> active_{0};
    std::mutex mutex_;
    std::condition_variable changed_;
};

} // namespace vantrel::sim
