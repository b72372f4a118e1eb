#pragma once
// Scripted update transfers: each one records its request and waits for the test to finish it.
#include <memory>
#include <vector>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "update/UpdateTransfer.h"

namespace vantrel::test {

class FakeTransfers {
public:
    struct Entry {
        UpdateTransferRequest request;
        UpdateTransfer::Completion completion;
        UpdateTransfer::Progress progress;
        bool started = false;
        bool cancelled = false;
        bool destroyed = false;
    };

    UpdateTransferFactory factory()
    {
        return [this](const UpdateTransferRequest& request) -> std::unique_ptr<UpdateTransfer> {
            auto entry = std::make_shared<Entry>();
            entry->request = request;
            entries.push_back(entry);
            return std::make_unique<Transfer>(entry);
        };
    }

    // Finishes a transfer the way its owner would see it; a destroyed transfer stays silent
    // unless late is set (a result that was already on its way).
    static void complete(Entry& e, const UpdateTransferResult& result, bool late = false)
    {
        if (e.completion && (!e.destroyed || late))
            e.completion(result);
    }
    static void succeed(Entry& e, const QByteArray& body, bool late = false)
    {
        UpdateDownloadPayload payload;
        if (e.request.destination) {
            QDir().mkpath(QFileInfo(*e.request.destination).absolutePath());
            QFile f(*e.request.destination);
            f.open(QIODevice::WriteOnly);
            f.write(body);
            f.close();
            payload.file = *e.request.destination;
        } else {
            payload.data = body;
        }
        complete(e, payload, late);
    }
    static void failWith(Entry& e, UpdateDownloadError error, int httpStatus = 0, bool networkError = false)
    {
        UpdateDownloadFailure f;
        f.error = error;
        f.httpStatus = httpStatus;
        f.networkError = networkError;
        complete(e, f);
    }

    std::vector<std::shared_ptr<Entry>> entries;

private:
    class Transfer final : public UpdateTransfer {
    public:
        explicit Transfer(std::shared_ptr<Entry> e)
            : e_(std::move(e))
        { }
        ~Transfer() override { e_->destroyed = true; }
        void start(Completion completion, Progress progress) override
        {
            e_->started = true;
            e_->completion = std::move(completion);
            e_->progress = std::move(progress);
        }
        void cancel() override { e_->cancelled = true; }

    private:
        std::shared_ptr<Entry> e_;
    };
};

} // namespace vantrel::test
