#include "telemetry/HttpActivityUploader.h"

#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>

#include "base/Log.h"

namespace vantrel {

HttpActivityUploader::HttpActivityUploader(Dispatch& dispatch, QUrl endpoint, Duration deadline)
    : dispatch_(dispatch)
    , endpoint_(std::move(endpoint))
    , deadline_(deadline)
{ }

HttpActivityUploader::~HttpActivityUploader() = default;

void HttpActivityUploader::submit(const QJsonArray& batch, std::function<void(bool success)> completion)
{
    const QByteArray body = QJsonDocument(batch).toJson(QJsonDocument::Compact);
    const std::weak_ptr<HttpActivityUploader> weak = weak_from_this();
    dispatch_.main()->async([weak, body, completion = std::move(completion)]() mutable {
        if (auto self = weak.lock())
            self->post(body, std::move(completion));
        else
            completion(false);
    });
}

void HttpActivityUploader::post(const QByteArray& body, std::function<void(bool success)> completion)
{
    if (!manager_)
        manager_ = std::make_unique<QNetworkAccessManager>();
    QNetworkRequest request(endpoint_);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    QNetworkReply* reply = manager_->post(request, body);
    QPointer<QNetworkReply> guard(reply);

    struct Pending {
        bool finished = false;
        qint64 received = 0;
        CancelToken deadline;
        std::function<void(bool)> completion;
    };
    auto pending = std::make_shared<Pending>();
    pending->completion = std::move(completion);
    // Exactly once, whichever of answer, limit or deadline comes first.
    auto finish = [pending](bool success, const QString& reason) {
        if (pending->finished)
            return;
        pending->finished = true;
        if (pending->deadline)
            pending->deadline->cancel();
        pending->deadline.reset();
        if (!success)
            logLine(QStringLiteral("[ActivityTelemetry] Upload failed: ") + reason);
        auto done = std::move(pending->completion);
        done(success);
    };

    QObject::connect(reply, &QNetworkReply::metaDataChanged, reply, [guard, finish] {
        const QVariant length = guard->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > maximumResponseBytes) {
            finish(false, QStringLiteral("response too large"));
            guard->abort();
        }
    });
    QObject::connect(reply, &QNetworkReply::readyRead, reply, [guard, pending, finish] {
        pending->received += guard->readAll().size();
        if (pending->received > maximumResponseBytes) {
            finish(false, QStringLiteral("response too large"));
            guard->abort();
        }
    });
    QObject::connect(reply, &QNetworkReply::finished, reply, [guard, finish] {
        const int status = guard->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (guard->error() != QNetworkReply::NoError)
            finish(false, status ? QStringLiteral("HTTP status ") + QString::number(status) : guard->errorString());
        else if (status < 200 || status > 299)
            finish(false, QStringLiteral("HTTP status ") + QString::number(status));
        else
            finish(true, {});
        guard->deleteLater();
    });
    pending->deadline = dispatch_.after(dispatch_.main(), deadline_, [guard, finish] {
        finish(false, QStringLiteral("timed out"));
        if (guard)
            guard->abort();
    });
}

} // namespace vantrel
