#include "support/ScriptedSocketPeer.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QFile>
#include <QJsonDocument>

namespace vantrel::test {
namespace {

// How long the peer waits for a request to complete or for a silent client to hang up.
constexpr int kPatienceMs = 15000;

void sendAll(int fd, const QByteArray& bytes)
{
    qsizetype sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.constData() + sent, static_cast<size_t>(bytes.size() - sent), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return; // the client hung up
        sent += n;
    }
}

} // namespace

ScriptedSocketPeer::ScriptedSocketPeer(QString socketPath, Script script)
    : path_(std::move(socketPath))
    , script_(std::move(script))
{
    const QByteArray encoded = QFile::encodeName(path_);
    ::unlink(encoded.constData());
    sockaddr_un address;
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (static_cast<size_t>(encoded.size()) >= sizeof address.sun_path || ::pipe2(wakeFds_, O_CLOEXEC) != 0)
        return;
    std::memcpy(address.sun_path, encoded.constData(), static_cast<size_t>(encoded.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 64) != 0) {
        ::close(fd);
        return;
    }
    listenFd_ = fd;
    thread_ = std::thread([this] { run(); });
}

ScriptedSocketPeer::~ScriptedSocketPeer()
{
    stopping_ = true;
    if (wakeFds_[1] >= 0) {
        const char byte = 1;
        [[maybe_unused]] const ssize_t n = ::write(wakeFds_[1], &byte, 1);
    }
    if (thread_.joinable())
        thread_.join();
    if (listenFd_ >= 0) {
        ::close(listenFd_);
        ::unlink(QFile::encodeName(path_).constData());
    }
    for (int fd : wakeFds_)
        if (fd >= 0)
            ::close(fd);
}

void ScriptedSocketPeer::setScript(Script script)
{
    std::lock_guard lock(mutex_);
    script_ = std::move(script);
}

void ScriptedSocketPeer::answerAlways(Answer answer)
{
    setScript([answer](const QByteArray&) { return answer; });
}

ScriptedSocketPeer::Answer ScriptedSocketPeer::reply(const QByteArray& bytes)
{
    return Answer{{Segment{bytes, {}}}, false};
}

ScriptedSocketPeer::Answer ScriptedSocketPeer::reply(const QJsonObject& object)
{
    return reply(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

QList<QByteArray> ScriptedSocketPeer::requests() const
{
    std::lock_guard lock(mutex_);
    return requests_;
}

qsizetype ScriptedSocketPeer::completeJsonLength(const QByteArray& bytes)
{
    int depth = 0;
    bool inString = false;
    bool escaped = false;
    bool started = false;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (!started) {
            if (c == ' ' || c == '\n' || c == '\r' || c == '\t')
                continue;
            if (c != '{' && c != '[')
                return 0; // not a request the peer can delimit; it waits for end of stream
            started = true;
        }
        if (inString) {
            if (escaped)
                escaped = false;
            else if (c == '\\')
                escaped = true;
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '{' || c == '[') {
            ++depth;
        } else if (c == '}' || c == ']') {
            if (--depth == 0)
                return i + 1;
        }
    }
    return 0;
}

bool ScriptedSocketPeer::waitFor(int fd, short events, int timeoutMs)
{
    pollfd fds[2] = {{fd, events, 0}, {wakeFds_[0], POLLIN, 0}};
    for (;;) {
        const int n = ::poll(fds, 2, timeoutMs);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0 || stopping_ || (fds[1].revents & POLLIN))
            return false;
        return fds[0].revents != 0;
    }
}

bool ScriptedSocketPeer::pause(std::chrono::milliseconds delay)
{
    if (delay.count() <= 0)
        return !stopping_;
    pollfd wake{wakeFds_[0], POLLIN, 0};
    ::poll(&wake, 1, static_cast<int>(delay.count()));
    return !stopping_;
}

QByteArray ScriptedSocketPeer::readRequest(int fd)
{
    QByteArray request;
    char buffer[65536];
    while (completeJsonLength(request) == 0) {
        if (!waitFor(fd, POLLIN, kPatienceMs))
            break;
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0)
            break;
        request.append(buffer, static_cast<qsizetype>(n));
    }
    return request;
}

void ScriptedSocketPeer::run()
{
    while (!stopping_) {
        if (!waitFor(listenFd_, POLLIN, -1))
            continue;
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        ++connections_;
        serve(fd);
        ::close(fd);
    }
}

void ScriptedSocketPeer::serve(int fd)
{
    const QByteArray request = skipRequestRead_ ? QByteArray() : readRequest(fd);
    Script script;
    {
        std::lock_guard lock(mutex_);
        requests_.append(request);
        script = script_;
    }
    const Answer answer = script ? script(request) : hangUp();
    for (const auto& segment : answer.segments) {
        if (!pause(segment.delayBefore))
            return;
        // Exchanges are meant to be strictly one after another: note any client already queued.
        pollfd pending{listenFd_, POLLIN, 0};
        if (::poll(&pending, 1, 0) > 0)
            sawWaitingClient_ = true;
        sendAll(fd, segment.bytes);
    }
    if (answer.holdOpen) {
        // Wait for the client to give up (its read time-out) and hang up.
        char buffer[4096];
        while (waitFor(fd, POLLIN, kPatienceMs) && ::read(fd, buffer, sizeof buffer) > 0) { }
    }
}

} // namespace vantrel::test
