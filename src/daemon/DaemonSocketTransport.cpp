#include "daemon/DaemonSocketTransport.h"

#include <cmath>
#include <cstring>

#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QProcessEnvironment>

#include "base/JsonAccess.h"
#include "base/Log.h"
#include "base/NotificationCenter.h"
#include "daemon/DaemonClient.h"
#include "daemon/VantrelIPCLogRedactor.h"

namespace vantrel {
namespace {

// Closes the socket on every way out of an exchange.
class SocketHandle {
public:
    explicit SocketHandle(int fd)
        : fd_(fd)
    { }
    ~SocketHandle()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    SocketHandle(const SocketHandle&) = delete;
    SocketHandle& operator=(const SocketHandle&) = delete;
    int fd() const { return fd_; }
    bool isValid() const { return fd_ >= 0; }

private:
    int fd_;
};

bool containsNonFiniteNumber(const QJsonValue& value);

bool containsNonFiniteNumber(const QJsonArray& array)
{
    for (const QJsonValue& element : array)
        if (containsNonFiniteNumber(element))
            return true;
    return false;
}

bool containsNonFiniteNumber(const QJsonObject& object)
{
    for (auto it = object.begin(); it != object.end(); ++it)
        if (containsNonFiniteNumber(it.value()))
            return true;
    return false;
}

bool containsNonFiniteNumber(const QJsonValue& value)
{
    if (value.isDouble())
        return !std::isfinite(value.toDouble());
    if (value.isObject())
        return containsNonFiniteNumber(value.toObject());
    if (value.isArray())
        return containsNonFiniteNumber(value.toArray());
    return false;
}

QString renderForLog(const QJsonObject& object)
{
    return QString::fromUtf8(json::compact(VantrelIPCLogRedactor::redact(object)));
}

// Connects to path with a zeroed address holding the path bytes and their terminating zero.
// A path that does not fit the address counts as a failed connection.
bool connectToPath(int fd, const QString& path)
{
    sockaddr_un address;
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    const QByteArray bytes = QFile::encodeName(path);
    if (bytes.isEmpty() || static_cast<size_t>(bytes.size()) + 1 > sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, bytes.constData(), static_cast<size_t>(bytes.size()) + 1);
    return ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
}

// Appends to a reply that may grow to many megabytes (there is no upper bound). Grown in place,
// the C library would stretch the reading thread's heap to the reply's size and keep those pages
// once the reply is gone (a 10 MiB reply pinned 16 MiB); a fresh buffer twice the size is a
// mapping of its own once large, and goes back to the system when freed.
void appendToReply(QByteArray& reply, const char* data, qsizetype n)
{
    if (reply.size() + n > reply.capacity()) {
        QByteArray larger;
        larger.reserve(2 * (reply.size() + n));
        larger.append(reply);
        reply = std::move(larger);
    }
    reply.append(data, n);
}

// Reads 8192 bytes at a time and goes on only after a read that filled the whole buffer;
// end of stream, an error, the receive time-out or a short read ends the reply.
QByteArray readReply(int fd)
{
    QByteArray reply;
    char buffer[DaemonSocketTransport::readChunkSize];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0)
            break;
        appendToReply(reply, buffer, static_cast<qsizetype>(n));
        if (n < static_cast<ssize_t>(sizeof buffer))
            break;
    }
    return reply;
}

} // namespace

const QString DaemonSocketTransport::ipcQueueLabel = QStringLiteral("com.vantrel.ui.daemon-client.ipc");

DaemonSocketTransport::DaemonSocketTransport(Dispatch& dispatch, QString socketPath, bool verboseIPC)
    : dispatch_(dispatch)
    , socketPath_(std::move(socketPath))
    , verboseIPC_(verboseIPC)
    , ipcQueue_(dispatch.makeSerialQueue(ipcQueueLabel, QoS::Default))
{ }

bool DaemonSocketTransport::verboseFromEnvironment()
{
    return QProcessEnvironment::systemEnvironment().value(QStringLiteral("VANTREL_VERBOSE_IPC")) == QStringLiteral("1");
}

const QSet<QString>& DaemonSocketTransport::quietReadbackCommands()
{
    static const QSet<QString> commands = {QStringLiteral("get_status"),
                                           QStringLiteral("get_power_policy_state"),
                                           QStringLiteral("get_power_source_info"),
                                           QStringLiteral("get_hardware_profile"),
                                           QStringLiteral("get_system_snapshot"),
                                           QStringLiteral("get_update_installation_state")};
    return commands;
}

int DaemonSocketTransport::timeoutForCommand(const QString& command)
{
    if (command == QStringLiteral("get_runtime_ownership"))
        return 10;
    if (quietReadbackCommands().contains(command) || command.startsWith(QStringLiteral("get_")))
        return 1;
    if (command == QStringLiteral("verify_update_package") || command == QStringLiteral("install_update_package"))
        return 30;
    return 5;
}

std::optional<QJsonObject> DaemonSocketTransport::send(const QJsonObject& request)
{
    std::optional<QJsonObject> reply;
    ipcQueue_->sync([&] { reply = sendCommandLocked(request); });
    return reply;
}

std::optional<QJsonObject> DaemonSocketTransport::decodeReply(const QByteArray& bytes, const QString& command)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError) {
        logLine(QStringLiteral("🚨 [DaemonClient] JSON parse failed for ") + command + QStringLiteral(": ")
                + error.errorString() + QStringLiteral(". bytes=") + QString::number(bytes.size()));
        return std::nullopt;
    }
    if (!document.isObject()) {
        logLine(QStringLiteral("🚨 [DaemonClient] JSON parse failed for ") + command
                + QStringLiteral(": response root is not an object."));
        return std::nullopt;
    }
    return document.object();
}

std::optional<QJsonObject> DaemonSocketTransport::sendCommandLocked(const QJsonObject& request)
{
    const QString command = json::string(request, QStringLiteral("cmd")).value_or(QString());

    const bool logged = verboseIPC_ || !quietReadbackCommands().contains(command);
    if (logged)
        logLine(QStringLiteral("Vantrel UI -> daemon: ") + renderForLog(request));

    // JSON has no spelling for NaN or infinity: such a request cannot be serialised.
    if (containsNonFiniteNumber(request))
        return std::nullopt;
    const QByteArray payload = json::compact(request);

    SocketHandle socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!socket.isValid()) {
        logLine(QStringLiteral("🚨 [DaemonClient] Fatal: Cannot create socket."));
        return std::nullopt;
    }

    if (!beginExchange(socket.fd()))
        return std::nullopt;
    // Declared after the socket: the exchange ends before the descriptor is closed and reused.
    struct ExchangeEnd {
        DaemonSocketTransport* transport;
        ~ExchangeEnd() { transport->endExchange(); }
    } exchangeEnd{this};

    timeval timeout{};
    timeout.tv_sec = timeoutForCommand(command);
    timeout.tv_usec = 0;
    ::setsockopt(socket.fd(), SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);

    if (!connectToPath(socket.fd(), socketPath_)) {
        logLine(
            QStringLiteral("🚨 [DaemonClient] Error: Connection to daemon failed! Is vantrel-node running as root?"));
        postConnectionFailure();
        return std::nullopt;
    }

    // One write, no terminator; MSG_NOSIGNAL keeps a daemon that hung up early from raising SIGPIPE.
    const ssize_t written = ::send(socket.fd(), payload.constData(), static_cast<size_t>(payload.size()), MSG_NOSIGNAL);
    if (written != static_cast<ssize_t>(payload.size())) {
        logLine(QStringLiteral("🚨 [DaemonClient] Error: Failed to write full command to daemon."));
        return std::nullopt;
    }

    const QByteArray bytes = readReply(socket.fd());
    if (isAbandoned())
        return std::nullopt;
    if (bytes.isEmpty()) {
        logLine(QStringLiteral("🚨 [DaemonClient] Error: Empty response from daemon."));
        return std::nullopt;
    }

    auto reply = decodeReply(bytes, command);
    if (!reply)
        return std::nullopt;

    if (logged)
        logLine(QStringLiteral("Vantrel daemon -> UI: ") + renderForLog(*reply));
    return reply;
}

bool DaemonSocketTransport::beginExchange(int fd)
{
    std::lock_guard lock(exchangeMutex_);
    if (abandoned_)
        return false;
    exchangeFd_ = fd;
    return true;
}

void DaemonSocketTransport::endExchange()
{
    std::lock_guard lock(exchangeMutex_);
    exchangeFd_ = -1;
}

bool DaemonSocketTransport::isAbandoned()
{
    std::lock_guard lock(exchangeMutex_);
    return abandoned_;
}

void DaemonSocketTransport::abandonExchanges()
{
    std::lock_guard lock(exchangeMutex_);
    if (abandoned_)
        return;
    abandoned_ = true;
    if (exchangeFd_ < 0)
        return;
    ::shutdown(exchangeFd_, SHUT_RDWR);
    logLine(QStringLiteral("[DaemonClient] Quitting: no longer waiting for the daemon's reply"));
}

void DaemonSocketTransport::postConnectionFailure()
{
    dispatch_.main()->async([] { NotificationCenter::defaultCenter().post(DaemonClient::daemonConnectionDidFail); });
}

} // namespace vantrel
