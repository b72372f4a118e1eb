#pragma once
// The real exchange over the daemon's Unix-domain socket: one connection per request,
// a single write, 8192-byte reads, time-outs by command; all exchanges of the process run
// one at a time on the serial queue "com.vantrel.ui.daemon-client.ipc".
#include <memory>
#include <mutex>

#include <QByteArray>
#include <QSet>
#include <QString>

#include "base/Dispatch.h"
#include "daemon/DaemonTransport.h"

namespace vantrel {

class DaemonSocketTransport final : public DaemonTransport {
public:
    static const QString ipcQueueLabel; // "com.vantrel.ui.daemon-client.ipc"
    static constexpr int readChunkSize = 8192;

    // verboseIPC: the process environment's "VANTREL_VERBOSE_IPC" is exactly "1".
    DaemonSocketTransport(Dispatch& dispatch, QString socketPath, bool verboseIPC);

    std::optional<QJsonObject> send(const QJsonObject& request) override;
    // Any thread: shuts the socket of the exchange under way (its read ends at once) and
    // refuses every exchange after it.
    void abandonExchanges() override;

    QString socketPath() const { return socketPath_; }
    bool verboseIPC() const { return verboseIPC_; }

    static bool verboseFromEnvironment();
    static const QSet<QString>& quietReadbackCommands();
    // Read time-out in whole seconds for a command name.
    static int timeoutForCommand(const QString& command);
    // The last step of an exchange: the reply bytes as a JSON object, or nothing after
    // logging why ("JSON parse failed for <command>: …").
    static std::optional<QJsonObject> decodeReply(const QByteArray& bytes, const QString& command);

private:
    std::optional<QJsonObject> sendCommandLocked(const QJsonObject& request);
    void postConnectionFailure();
    // The socket of the exchange under way, for abandonExchanges(); false once abandoned.
    bool beginExchange(int fd);
    void endExchange();
    bool isAbandoned();

    Dispatch& dispatch_;
    QString socketPath_;
    bool verboseIPC_;
    QueuePtr ipcQueue_;
    std::mutex exchangeMutex_;
    int exchangeFd_ = -1;
    bool abandoned_ = false;
};

} // namespace vantrel
