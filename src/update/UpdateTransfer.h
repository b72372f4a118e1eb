#pragma once
// One download of the update flow (the manifest into memory, a package into a file), as the
// update service sees it; UpdateDownloadTransfer is the network one, tests bring their own.
#include <functional>
#include <memory>
#include <optional>
#include <variant>

#include <QByteArray>
#include <QString>
#include <QUrl>

#include "update/VantrelUpdateError.h"

namespace vantrel {

struct UpdateTransferRequest {
    QUrl url;
    qint64 maximumBytes = 0;
    std::optional<qint64> exactBytes;
    // Absent: the body is kept in memory.
    std::optional<QString> destination;
};

// The body bytes, or the path of the finished file.
struct UpdateDownloadPayload {
    QByteArray data;
    QString file;
};

using UpdateTransferResult = std::variant<UpdateDownloadPayload, UpdateDownloadFailure>;

class UpdateTransfer {
public:
    using Completion = std::function<void(const UpdateTransferResult&)>;
    // Bytes received so far and the total expected (0 when unknown).
    using Progress = std::function<void(qint64 received, qint64 expected)>;

    virtual ~UpdateTransfer() = default;
    // Completes exactly once, on a later turn of the starting thread's event loop; cancel()
    // completes with cancelled, and destroying the transfer drops its completion.
    virtual void start(Completion completion, Progress progress = {}) = 0;
    virtual void cancel() = 0;
};

using UpdateTransferFactory = std::function<std::unique_ptr<UpdateTransfer>(const UpdateTransferRequest&)>;

} // namespace vantrel
