#pragma once
// A download over HTTPS with Qt Network that trusts nothing it was not told to: no redirects,
// status 200 from the very URL asked for, sizes held to the limits as the bytes arrive, a file
// written beside its destination and renamed only when complete, and a watchdog so a server
// that stalls cannot hold the transfer forever.
#include <QFile>
#include <QObject>
#include <QPointer>
#include <QSslConfiguration>

#include "base/Dispatch.h"
#include "update/UpdateTransfer.h"

class QNetworkAccessManager;
class QNetworkReply;

namespace vantrel {

struct UpdateTransferLimits {
    // No byte for this long fails the transfer.
    Duration idleTimeout = seconds(30);
    // The whole transfer may take this long plus the time its size needs at minimumBytesPerSecond.
    Duration baseDeadline = seconds(60);
    qint64 minimumBytesPerSecond = 32 * 1024;
    Duration watchdogInterval = seconds(1);
};

class UpdateDownloadTransfer final : public QObject, public UpdateTransfer {
    Q_OBJECT
public:
    UpdateDownloadTransfer(UpdateTransferRequest request, Dispatch& dispatch, QSslConfiguration tls,
                           UpdateTransferLimits limits = {});
    ~UpdateDownloadTransfer() override;

    void start(Completion completion, Progress progress = {}) override;
    void cancel() override;

    // The system's trusted roots plus the certificates in caFile (PEM; ignored when empty).
    static QSslConfiguration tlsConfiguration(const QString& caFile);
    static UpdateTransferFactory factory(Dispatch& dispatch, const QString& caFile, UpdateTransferLimits limits = {});

private:
    void onMetaData();
    void onReadyRead();
    void onFinished();
    void onRedirect();
    void watchdog();
    bool checkResponse();
    void fail(UpdateDownloadError error, const QString& detail, bool networkError = false);
    void finish(const UpdateTransferResult& result);
    void removeTemporaryFile();

    UpdateTransferRequest request_;
    Dispatch& dispatch_;
    QSslConfiguration tls_;
    UpdateTransferLimits limits_;
    QString temporaryPath_;
    QFile file_;
    QByteArray data_;
    qint64 receivedBytes_ = 0;
    qint64 expectedBytes_ = 0;
    std::optional<UpdateDownloadFailure> terminalError_;
    Completion completion_;
    Progress progress_;
    QNetworkAccessManager* session_ = nullptr;
    QPointer<QNetworkReply> task_;
    bool responseChecked_ = false;
    bool finished_ = false;
    CancelToken watchdog_;
    double startedAt_ = 0;
    double lastByteAt_ = 0;
};

} // namespace vantrel
