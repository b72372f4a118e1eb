#pragma once
// Posts a batch of usage events as a JSON array to the endpoint over Qt Network. Success
// is a 2xx answer; redirects, oversized answers, transport errors and the deadline fail.
#include <memory>

#include <QUrl>

#include "base/Dispatch.h"
#include "telemetry/ActivityUploader.h"

class QNetworkAccessManager;

namespace vantrel {

class HttpActivityUploader final : public ActivityUploader, public std::enable_shared_from_this<HttpActivityUploader> {
public:
    // The same bounds as the update transfers: a reply body of at most 1 MiB, and an overall
    // deadline so a stalled server cannot hold the upload.
    static constexpr qint64 maximumResponseBytes = 1048576;
    static constexpr Duration defaultDeadline{60000};

    // Made and destroyed on the main thread, where its requests run.
    HttpActivityUploader(Dispatch& dispatch, QUrl endpoint, Duration deadline = defaultDeadline);
    ~HttpActivityUploader() override;

    QUrl endpoint() const { return endpoint_; }
    void submit(const QJsonArray& batch, std::function<void(bool success)> completion) override;

private:
    void post(const QByteArray& body, std::function<void(bool success)> completion);

    Dispatch& dispatch_;
    QUrl endpoint_;
    Duration deadline_;
    std::unique_ptr<QNetworkAccessManager> manager_;
};

} // namespace vantrel
