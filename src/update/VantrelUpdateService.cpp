#include "update/VantrelUpdateService.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "base/Log.h"
#include "daemon/DaemonClient.h"
#include "update/VantrelUpdateManifestPolicy.h"

namespace vantrel {

namespace {

const QString kStagedPrefix = QStringLiteral("Vantrel-owned-");
const QString kTemporarySuffix = QStringLiteral(".download");

// A refused answer that carried an HTTP status other than a redirect is the server's word
// on the release (gone, unavailable); everything else stays a transfer failure.
UpdateFailure fromTransfer(const UpdateDownloadFailure& failure)
{
    if (failure.error == UpdateDownloadError::untrustedResponse && failure.httpStatus > 0 && failure.httpStatus != 200
        && (failure.httpStatus < 300 || failure.httpStatus >= 400))
        return VantrelUpdateError{VantrelUpdateError::Kind::httpStatus, failure.httpStatus};
    return failure;
}

} // namespace

VantrelUpdateService::VantrelUpdateService(Dispatch& dispatch, std::shared_ptr<const DaemonClient> daemon,
                                           UpdateTransferFactory transfers, VantrelUpdateServiceSettings settings)
    : dispatch_(dispatch)
    , daemon_(std::move(daemon))
    , transfers_(std::move(transfers))
    , settings_(std::move(settings))
{
    cleanStagingDirectory();
}

VantrelUpdateService::~VantrelUpdateService() = default;

QString VantrelUpdateService::stagingDirectory(const Paths& paths)
{
    return paths.appSupportFile(QStringLiteral("Updates"));
}

void VantrelUpdateService::cleanStagingDirectory()
{
    const QDir dir(settings_.stagingDirectory);
    if (settings_.stagingDirectory.isEmpty() || !dir.exists())
        return;
    const QDateTime now = dispatch_.clock().now();
    for (const QFileInfo& entry : dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::System)) {
        const qint64 age = entry.lastModified().secsTo(now);
        const bool staleDownload = entry.fileName().endsWith(kTemporarySuffix) && age > 3600;
        const bool staleStaged = entry.fileName().startsWith(kStagedPrefix) && age > 86400;
        if (staleDownload || staleStaged)
            QFile::remove(entry.absoluteFilePath());
    }
}

bool VantrelUpdateService::isCurrent(const QUuid& id) const
{
    std::lock_guard guard(lock_);
    return requestID_ == id;
}

bool VantrelUpdateService::isPreparing() const
{
    std::lock_guard guard(lock_);
    return requestID_.has_value();
}

void VantrelUpdateService::retire(std::unique_ptr<UpdateTransfer> transfer)
{
    if (!transfer)
        return;
    transfer->cancel();
    auto holder = std::make_shared<std::unique_ptr<UpdateTransfer>>(std::move(transfer));
    dispatch_.main()->async([holder] { holder->reset(); });
}

void VantrelUpdateService::cancelPreparation()
{
    std::unique_ptr<UpdateTransfer> manifest, package;
    {
        std::lock_guard guard(lock_);
        requestID_.reset();
        manifest = std::move(manifestTransfer_);
        package = std::move(packageTransfer_);
    }
    retire(std::move(manifest));
    retire(std::move(package));
}

void VantrelUpdateService::prepareUpdate(Completion completion, UpdateTransfer::Progress progress)
{
    cancelPreparation();
    const QUuid id = QUuid::createUuid();
    {
        std::lock_guard guard(lock_);
        requestID_ = id;
    }
    if (!settings_.endpoint.isTrustedManifestURL()) {
        dispatch_.main()->async(weakly(this, [id, completion](VantrelUpdateService* self) {
            self->complete(id, completion, VantrelUpdateError{VantrelUpdateError::Kind::invalidManifestURL});
        }));
        return;
    }
    UpdateTransferRequest request;
    request.url = settings_.endpoint.manifestURL;
    request.maximumBytes = manifestMaximumBytes;
    auto transfer = transfers_(request);
    UpdateTransfer* raw = transfer.get();
    {
        std::lock_guard guard(lock_);
        manifestTransfer_ = std::move(transfer);
    }
    QPointer<VantrelUpdateService> self(this);
    raw->start([self, id, completion, progress](const UpdateTransferResult& result) {
        if (self)
            self->onManifest(id, result, completion, progress);
    });
}

void VantrelUpdateService::onManifest(const QUuid& id, const UpdateTransferResult& result, const Completion& completion,
                                      const UpdateTransfer::Progress& progress)
{
    std::unique_ptr<UpdateTransfer> finished;
    {
        std::lock_guard guard(lock_);
        if (requestID_ != id)
            return;
        finished = std::move(manifestTransfer_);
    }
    retire(std::move(finished));
    if (const auto* failure = std::get_if<UpdateDownloadFailure>(&result)) {
        complete(id, completion, fromTransfer(*failure));
        return;
    }
    UpdateCheckContext context{settings_.endpoint, settings_.installedVersion, settings_.installedBundleVersion,
                               settings_.runningOSVersion ? settings_.runningOSVersion() : std::nullopt};
    const auto accepted = VantrelUpdateManifestPolicy::accept(std::get<UpdateDownloadPayload>(result).data, context);
    if (const auto* error = std::get_if<VantrelUpdateError>(&accepted)) {
        complete(id, completion, *error);
        return;
    }
    const auto& manifest = std::get<VantrelReleaseManifest>(accepted);
    const QString fileName = manifest.artifact.fileName;
    if (!fileName.endsWith(QLatin1String(".pkg")) || fileName.contains(QLatin1Char('/'))) {
        complete(id, completion, VantrelUpdateError{VantrelUpdateError::Kind::invalidPackageName});
        return;
    }
    UpdateTransferRequest request;
    request.url = QUrl(manifest.artifact.url, QUrl::StrictMode);
    request.maximumBytes = manifest.artifact.sizeBytes;
    request.exactBytes = manifest.artifact.sizeBytes;
    request.destination = settings_.stagingDirectory + QLatin1Char('/') + kStagedPrefix
        + QUuid::createUuid().toString(QUuid::WithoutBraces) + QLatin1Char('-') + fileName;
    auto transfer = transfers_(request);
    UpdateTransfer* raw = transfer.get();
    {
        std::lock_guard guard(lock_);
        if (requestID_ != id)
            return;
        packageTransfer_ = std::move(transfer);
    }
    QPointer<VantrelUpdateService> self(this);
    raw->start(
        [self, id, manifest, completion](const UpdateTransferResult& result) {
        if (self)
            self->onPackage(id, manifest, result, completion);
        else if (const auto* payload = std::get_if<UpdateDownloadPayload>(&result))
            QFile::remove(payload->file);
        },
        progress);
}

void VantrelUpdateService::onPackage(const QUuid& id, const VantrelReleaseManifest& manifest,
                                     const UpdateTransferResult& result, const Completion& completion)
{
    std::unique_ptr<UpdateTransfer> finished;
    bool current = false;
    {
        std::lock_guard guard(lock_);
        current = requestID_ == id;
        if (current)
            finished = std::move(packageTransfer_);
    }
    const auto* payload = std::get_if<UpdateDownloadPayload>(&result);
    if (!current) {
        if (payload)
            QFile::remove(payload->file);
        return;
    }
    retire(std::move(finished));
    if (!payload) {
        complete(id, completion, fromTransfer(std::get<UpdateDownloadFailure>(result)));
        return;
    }
    const VantrelPreparedUpdate prepared{manifest, payload->file};
    std::weak_ptr<const DaemonClient> daemon = daemon_;
    QPointer<VantrelUpdateService> self(this);
    auto main = dispatch_.main();
    dispatch_.global(QoS::UserInitiated)->async([daemon, self, main, id, prepared, completion] {
        bool verified = false;
        std::optional<VantrelUpdateError> refusal;
        if (auto client = daemon.lock()) {
            const auto reply = client->verifyUpdatePackage(prepared.localPackageURL, prepared.manifest.artifact.sha256,
                                                           prepared.manifest.version, prepared.manifest.bundleVersion);
            verified = reply && reply->value(QStringLiteral("status")).toString() == QLatin1String("ok");
            if (reply)
                refusal = updateErrorFromDaemonReply(*reply);
        }
        main->async([self, id, prepared, verified, refusal, completion] {
            if (self)
                self->onVerified(id, prepared, verified, completion, refusal);
            else
                prepared.discard();
        });
    });
}

void VantrelUpdateService::onVerified(const QUuid& id, const VantrelPreparedUpdate& prepared, bool verified,
                                      const Completion& completion, std::optional<VantrelUpdateError> refusal)
{
    if (!isCurrent(id)) {
        prepared.discard();
        return;
    }
    if (!verified) {
        prepared.discard();
        complete(id, completion, refusal.value_or(VantrelUpdateError{VantrelUpdateError::Kind::daemonRejectedPackage}));
        return;
    }
    complete(id, completion, prepared);
}

void VantrelUpdateService::complete(const QUuid& id, const Completion& completion, const Result& result)
{
    {
        std::lock_guard guard(lock_);
        if (requestID_ != id) {
            if (const auto* prepared = std::get_if<VantrelPreparedUpdate>(&result))
                prepared->discard();
            return;
        }
        requestID_.reset();
    }
    if (const auto* failure = std::get_if<UpdateFailure>(&result))
        logLine(QStringLiteral("[VantrelUpdateService] Update preparation failed: ") + describeUpdateFailure(*failure));
    if (completion)
        completion(result);
}

} // namespace vantrel
