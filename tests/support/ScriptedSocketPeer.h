#pragma once
// A daemon stand-in on a real Unix socket, inside the test process: it reads each request,
// then answers with chosen bytes in chosen segments after chosen delays, or stays silent,
// or hangs up. It serves one connection at a time on its own thread and notes whether a
// second client was already waiting while it served one.
#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>

namespace vantrel::test {

class ScriptedSocketPeer {
public:
    struct Segment {
        QByteArray bytes;
        std::chrono::milliseconds delayBefore{0};
    };
    struct Answer {
        std::vector<Segment> segments;
        // Keep the connection open after the segments until the client hangs up.
        bool holdOpen = false;
    };
    // Chooses the answer for one request (the raw bytes the client sent).
    using Script = std::function<Answer(const QByteArray& request)>;

    explicit ScriptedSocketPeer(QString socketPath, Script script = {});
    ~ScriptedSocketPeer();
    ScriptedSocketPeer(const ScriptedSocketPeer&) = delete;
    ScriptedSocketPeer& operator=(const ScriptedSocketPeer&) = delete;

    bool isListening() const { return listenFd_ >= 0; }
    QString path() const { return path_; }

    void setScript(Script script);
    // Every request gets the same answer.
    void answerAlways(Answer answer);
    // When set, the peer answers without reading the request first (and hangs up on it
    // unread, which the client sees as a reset connection).
    void setSkipRequestRead(bool skip) { skipRequestRead_ = skip; }

    static Answer reply(const QByteArray& bytes);
    static Answer reply(const QJsonObject& object);
    static Answer silent() { return Answer{{}, true}; }
    static Answer hangUp() { return Answer{}; }

    QList<QByteArray> requests() const;
    int connectionCount() const { return connections_; }
    bool sawWaitingClientWhileServing() const { return sawWaitingClient_; }

    // Length of the first complete JSON object or array at the start of bytes (after white
    // space), or 0 while it is still incomplete.
    static qsizetype completeJsonLength(const QByteArray& bytes);

private:
    void run();
    void serve(int fd);
    QByteArray readRequest(int fd);
    bool waitFor(int fd, short events, int timeoutMs); // false when stopping or timed out
    bool pause(std::chrono::milliseconds delay); // false when stopping

    QString path_;
    int listenFd_ = -1;
    int wakeFds_[2] = {-1, -1};
    std::atomic<bool> stopping_{false};
    std::atomic<bool> skipRequestRead_{false};
    std::atomic<int> connections_{0};
    std::atomic<bool> sawWaitingClient_{false};
    mutable std::mutex mutex_;
    Script script_;
    QList<QByteArray> requests_;
    std::thread thread_;
};

} // namespace vantrel::test
