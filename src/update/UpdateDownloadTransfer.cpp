#include "update/UpdateDownloadTransfer.h"

#include <QDir>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslCertificate>

namespace vantrel {

UpdateDownloadTransfer::UpdateDownloadTransfer(UpdateTransferRequest request, Dispatch& dispatch, QSslConfiguration tls,
                                               UpdateTransferLimits limits)
    : request_(std::move(request))
    , dispatch_(dispatch)
    , tls_(std::move(tls))
    , limits_(limits)
{ }

UpdateDownloadTransfer::~UpdateDownloadTransfer()
{
    if (watchdog_)
        watchdog_->cancel();
    if (task_) {
        task_->disconnect(this);
        task_->abort();
    }
    file_.close();
    removeTemporaryFile();
}

QSslConfiguration UpdateDownloadTransfer::tlsConfiguration(const QString& caFile)
{
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    if (!caFile.isEmpty()) {
        auto roots = tls.caCertificates();
        roots += QSslCertificate::fromPath(caFile, QSsl::Pem);
        tls.setCaCertificates(roots);
    }
    return tls;
}

UpdateTransferFactory UpdateDownloadTransfer::factory(Dispatch& dispatch, const QString& caFile,
                                                      UpdateTransferLimits limits)
{
    const QSslConfiguration tls = tlsConfiguration(caFile);
    return [&dispatch, tls, limits](const UpdateTransferRequest& request) -> std::unique_ptr<UpdateTransfer> {
        return std::make_unique<UpdateDownloadTransfer>(request, dispatch, tls, limits);
    };
}

void UpdateDownloadTransfer::start(Completion completion, Progress progress)
{
    completion_ = std::move(completion);
    progress_ = std::move(progress);
    if (request_.destination) {
        const QFileInfo destination(*request_.destination);
        QDir().mkpath(destination.absolutePath());
        temporaryPath_ = destination.absoluteFilePath() + QStringLiteral(".download");
        file_.setFileName(temporaryPath_);
        if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            fail(UpdateDownloadError::downloadFailed,
                 QStringLiteral("cannot create %1: %2").arg(temporaryPath_, file_.errorString()));
            finish(*terminalError_);
            return;
        }
    }

    // A session of its own: no cache, no cookies, nothing shared with another transfer.
    session_ = new QNetworkAccessManager(this);
    session_->setCookieJar(nullptr);
    QNetworkRequest req(request_.url);
    req.setSslConfiguration(tls_);
    req.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    req.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    req.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    req.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Manual);
    req.setRawHeader("Accept-Encoding", "identity");
    task_ = session_->get(req);
    connect(task_, &QNetworkReply::metaDataChanged, this, &UpdateDownloadTransfer::onMetaData);
    connect(task_, &QNetworkReply::readyRead, this, &UpdateDownloadTransfer::onReadyRead);
    connect(task_, &QNetworkReply::finished, this, &UpdateDownloadTransfer::onFinished);
    connect(task_, &QNetworkReply::redirected, this, &UpdateDownloadTransfer::onRedirect);

    startedAt_ = lastByteAt_ = dispatch_.clock().uptimeSeconds();
    watchdog_ = dispatch_.every(dispatch_.main(), limits_.watchdogInterval, limits_.watchdogInterval / 4,
                                weakly(this, [](UpdateDownloadTransfer* self) { self->watchdog(); }));
}

void UpdateDownloadTransfer::cancel() { fail(UpdateDownloadError::cancelled, QStringLiteral("cancelled")); }

void UpdateDownloadTransfer::fail(UpdateDownloadError error, const QString& detail, bool networkError)
{
    if (finished_)
        return;
    if (!terminalError_) {
        UpdateDownloadFailure f;
        f.error = error;
        f.detail = detail;
        f.networkError = networkError;
        if (task_)
            f.httpStatus = task_->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        terminalError_ = f;
    }
    if (task_ && task_->isRunning())
        task_->abort(); // finished() follows and completes with the recorded error
    else if (!task_)
        finish(*terminalError_);
}

void UpdateDownloadTransfer::onRedirect()
{
    fail(UpdateDownloadError::untrustedResponse, QStringLiteral("redirect refused"));
}

bool UpdateDownloadTransfer::checkResponse()
{
    if (responseChecked_)
        return !terminalError_;
    responseChecked_ = true;
    const QVariant status = task_->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid())
        return true; // no HTTP response yet: the transport's error decides
    if (status.toInt() != 200
        || task_->url().toString(QUrl::FullyEncoded) != request_.url.toString(QUrl::FullyEncoded)) {
        fail(UpdateDownloadError::untrustedResponse,
             QStringLiteral("HTTP %1 from %2").arg(status.toInt()).arg(task_->url().toString()));
        return false;
    }
    const QVariant length = task_->header(QNetworkRequest::ContentLengthHeader);
    if (length.isValid()) {
        // A file of a promised size that announces another is a size mismatch, before any limit.
        const qint64 announced = length.toLongLong();
        if (request_.exactBytes && announced != *request_.exactBytes) {
            fail(UpdateDownloadError::sizeMismatch,
                 QStringLiteral("announced %1 bytes, expected %2").arg(announced).arg(*request_.exactBytes));
            return false;
        }
        if (announced > request_.maximumBytes) {
            fail(UpdateDownloadError::responseTooLarge, QStringLiteral("announced %1 bytes").arg(announced));
            return false;
        }
        expectedBytes_ = announced;
    }
    if (request_.exactBytes)
        expectedBytes_ = *request_.exactBytes;
    return true;
}

void UpdateDownloadTransfer::onMetaData()
{
    if (!finished_ && !terminalError_)
        checkResponse();
}

void UpdateDownloadTransfer::onReadyRead()
{
    if (finished_ || terminalError_ || !task_ || !checkResponse())
        return;
    const QByteArray piece = task_->readAll();
    if (piece.isEmpty())
        return;
    receivedBytes_ += piece.size();
    lastByteAt_ = dispatch_.clock().uptimeSeconds();
    if (request_.exactBytes && receivedBytes_ > *request_.exactBytes) {
        fail(UpdateDownloadError::sizeMismatch, QStringLiteral("more than %1 bytes").arg(*request_.exactBytes));
        return;
    }
    if (receivedBytes_ > request_.maximumBytes) {
        fail(UpdateDownloadError::responseTooLarge, QStringLiteral("more than %1 bytes").arg(request_.maximumBytes));
        return;
    }
    if (file_.isOpen()) {
        if (file_.write(piece) != piece.size()) {
            fail(UpdateDownloadError::downloadFailed, QStringLiteral("write failed: ") + file_.errorString());
            return;
        }
    } else {
        data_.append(piece);
    }
    if (progress_)
        progress_(receivedBytes_, expectedBytes_);
}

void UpdateDownloadTransfer::onFinished()
{
    if (finished_)
        return;
    if (task_ && !terminalError_) {
        checkResponse();
        if (!terminalError_)
            onReadyRead();
    }
    if (terminalError_) {
        finish(*terminalError_);
        return;
    }
    if (task_ && task_->error() != QNetworkReply::NoError) {
        fail(UpdateDownloadError::downloadFailed, task_->errorString(), true);
        finish(*terminalError_);
        return;
    }
    if (request_.exactBytes && receivedBytes_ != *request_.exactBytes) {
        fail(UpdateDownloadError::sizeMismatch,
             QStringLiteral("received %1 bytes, expected %2").arg(receivedBytes_).arg(*request_.exactBytes));
        finish(*terminalError_);
        return;
    }
    UpdateDownloadPayload payload;
    if (request_.destination) {
        const bool flushed = file_.flush();
        file_.close();
        QFile::remove(*request_.destination);
        if (!flushed || !QFile::rename(temporaryPath_, *request_.destination)) {
            fail(UpdateDownloadError::downloadFailed, QStringLiteral("cannot move the download into place"));
            finish(*terminalError_);
            return;
        }
        payload.file = *request_.destination;
    } else {
        payload.data = std::move(data_);
    }
    finish(payload);
}

void UpdateDownloadTransfer::watchdog()
{
    if (finished_ || terminalError_)
        return;
    const double now = dispatch_.clock().uptimeSeconds();
    const double idle = std::chrono::duration<double>(limits_.idleTimeout).count();
    const qint64 size = request_.exactBytes.value_or(request_.maximumBytes);
    const double deadline = std::chrono::duration<double>(limits_.baseDeadline).count()
        + static_cast<double>(size) / static_cast<double>(std::max<qint64>(1, limits_.minimumBytesPerSecond));
    if (now - lastByteAt_ >= idle)
        fail(UpdateDownloadError::downloadFailed, QStringLiteral("no data for %1 s").arg(idle), true);
    else if (now - startedAt_ >= deadline)
        fail(UpdateDownloadError::downloadFailed, QStringLiteral("not finished within %1 s").arg(deadline), true);
}

void UpdateDownloadTransfer::finish(const UpdateTransferResult& result)
{
    if (finished_)
        return;
    finished_ = true;
    if (watchdog_)
        watchdog_->cancel();
    file_.close();
    removeTemporaryFile();
    if (task_) {
        task_->disconnect(this);
        task_->deleteLater();
    }
    if (session_)
        session_->deleteLater();
    session_ = nullptr;
    // Completed on a later turn of the event loop, so the owner may destroy this transfer in
    // its completion without pulling the network reply out from under its own signal.
    QMetaObject::invokeMethod(
        this,
        [this, result] {
        if (auto completion = std::move(completion_))
            completion(result);
        },
        Qt::QueuedConnection);
}

void UpdateDownloadTransfer::removeTemporaryFile()
{
    if (!temporaryPath_.isEmpty() && QFile::exists(temporaryPath_))
        QFile::remove(temporaryPath_);
}

} // namespace vantrel
