#pragma once
// Prepares an update: fetches and checks the release manifest, downloads the package into the
// staging folder the application owns, and has the root daemon verify it. Installing is the
// caller's next step (VantrelUpdateInstallation).
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <variant>

#include <QObject>
#include <QUuid>

#include "base/Dispatch.h"
#include "base/Paths.h"
#include "update/UpdateEndpoint.h"
#include "update/UpdateTransfer.h"
#include "update/VantrelPreparedUpdate.h"
#include "update/VantrelUpdateError.h"

namespace vantrel {

class DaemonClient;

struct VantrelUpdateServiceSettings {
    UpdateEndpoint endpoint;
    QString installedVersion;
    QString installedBundleVersion;
    // <Application Support>/Vantrel/Updates
    QString stagingDirectory;
    // The running operating system's version; nothing where the platform reports none.
    std::function<std::optional<QString>()> runningOSVersion;
};

class VantrelUpdateService final : public QObject {
    Q_OBJECT
public:
    using Result = std::variant<VantrelPreparedUpdate, UpdateFailure>;
    using Completion = std::function<void(const Result&)>;

    static constexpr qint64 manifestMaximumBytes = 0x100000;

    // Cleans the staging folder of leftovers (see cleanStagingDirectory).
    VantrelUpdateService(Dispatch& dispatch, std::shared_ptr<const DaemonClient> daemon,
                         UpdateTransferFactory transfers, VantrelUpdateServiceSettings settings);
    ~VantrelUpdateService() override;

    static QString stagingDirectory(const Paths& paths);

    // Cancels a preparation in progress and starts a new one; completion runs once on the
    // main queue. progress reports the package download.
    void prepareUpdate(Completion completion, UpdateTransfer::Progress progress = {});
    // Cancels both transfers and forgets the request; its late result is dropped and its
    // staged file deleted.
    void cancelPreparation();
    bool isPreparing() const;

    // Deletes ".download" files older than an hour and staged packages older than a day.
    void cleanStagingDirectory();
    const VantrelUpdateServiceSettings& settings() const { return settings_; }

private:
    bool isCurrent(const QUuid& id) const;
    void onManifest(const QUuid& id, const UpdateTransferResult& result, const Completion& completion,
                    const UpdateTransfer::Progress& progress);
    void onPackage(const QUuid& id, const VantrelReleaseManifest& manifest, const UpdateTransferResult& result,
                   const Completion& completion);
    // refusal: what the daemon's refusal named, when the flow handles it on its own.
    void onVerified(const QUuid& id, const VantrelPreparedUpdate& prepared, bool verified, const Completion& completion,
                    std::optional<VantrelUpdateError> refusal);
    void complete(const QUuid& id, const Completion& completion, const Result& result);
    // Transfers are destroyed on a later turn, never inside their own completion.
    void retire(std::unique_ptr<UpdateTransfer> transfer);

    Dispatch& dispatch_;
    std::shared_ptr<const DaemonClient> daemon_;
    UpdateTransferFactory transfers_;
    VantrelUpdateServiceSettings settings_;

    mutable std::mutex lock_;
    std::optional<QUuid> requestID_;
    std::unique_ptr<UpdateTransfer> manifestTransfer_;
    std::unique_ptr<UpdateTransfer> packageTransfer_;
};

} // namespace vantrel
