#pragma once
// The daemon socket: one JSON request per connection, one reply, then close. Every
// connection is served on its own thread, so a slow or shaped reply never holds up others.
// What a request gets is up to the handler; the server only frames, bounds and delivers.
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include <QByteArray>
#include <QString>

#include "daemonserver/PeerCredentials.h"
#include "daemonserver/ShapedReply.h"

namespace vantrel::daemonserver {

// Called on the connection's thread, possibly on several threads at once.
using RequestHandler = std::function<ShapedReply(const QByteArray& request, const PeerCredentials& peer)>;

class DaemonServer {
public:
    // Time a client gets to send its request, and the longest a reply may wait for the client
    // to read, in milliseconds.
    static constexpr int kDefaultRequestTimeoutMs = 5000;
    static constexpr int kMaxRequestBytes = 1 << 20;
    static constexpr int kMaxConnections = 256;

    // The application runs as the user while the daemon runs as root, so by default anyone may
    // connect; what each peer may do is the handler's decision.
    static constexpr unsigned kDefaultSocketMode = 0666;

    DaemonServer(RequestHandler handler, QString socketPath, int requestTimeoutMs = kDefaultRequestTimeoutMs,
                 unsigned socketMode = kDefaultSocketMode);
    virtual ~DaemonServer();
    DaemonServer(const DaemonServer&) = delete;
    DaemonServer& operator=(const DaemonServer&) = delete;

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

    RequestHandler handler_;
    QString socketPath_;
    int requestTimeoutMs_;
    unsigned socketMode_;
    int listenFd_ = -1;
    int wakePipe_[2] = {-1, -1};
    std::thread acceptor_;
    std::atomic<bool> stopping_{false};
    std::atomic<int> active_{0};
    std::mutex mutex_;
    std::condition_variable changed_;
};

} // namespace vantrel::daemonserver
