#pragma once
// The update flow behind the settings page's update button: prepare (check, download, verify),
// ask the daemon to install, then follow the daemon's installation state every 2 s until it
// ends. Publishes a status key, the download progress and whether recovery is offered.
#include <memory>
#include <optional>

#include <QObject>
#include <QString>

#include "base/Dispatch.h"
#include "update/VantrelUpdateService.h"

namespace vantrel {

class DaemonClient;

struct UpdateInstallationState {
    QString statusKey;
    bool isFinal = false;
    bool offersRecovery = false;
};

class VantrelUpdateInstallation final : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString statusKey READ statusKey NOTIFY statusChanged)
public:
    static constexpr Duration pollInterval = Duration(2000);

    VantrelUpdateInstallation(Dispatch& dispatch, VantrelUpdateService& service,
                              std::shared_ptr<const DaemonClient> daemon, QObject* parent = nullptr);
    ~VantrelUpdateInstallation() override;

    // The update button: starts over, cancelling a preparation still running. Where the
    // daemon installs no updates, it only repeats that.
    void start();
    // Asks the daemon once whether it installs updates on this platform (again later if it
    // did not answer), so the page can say so before anything is downloaded.
    void checkPlatformSupport();
    // The daemon answered an update command with "ERR_UNSUPPORTED_PLATFORM": updates come
    // from the distribution's packages and the flow offers no installation.
    bool isUnsupportedPlatform() const { return unsupportedPlatform_; }
    bool isCheckingPlatform() const { return platformCheckInFlight_; }

    // Empty before the first press.
    QString statusKey() const { return statusKey_; }
    bool isDownloading() const { return downloading_; }
    // 0…1 while the package downloads with a known size.
    std::optional<double> downloadFraction() const;
    qint64 receivedBytes() const { return receivedBytes_; }
    qint64 expectedBytes() const { return expectedBytes_; }
    bool offersRecovery() const { return offersRecovery_; }
    // Between the daemon accepting the package and a final state.
    bool isInstalling() const { return polling_ != nullptr; }
    bool isPreparing() const { return preparing_; }
    QString transactionID() const { return transactionID_; }

    // The status of a daemon installation state; nothing for a state this flow does not know.
    static std::optional<UpdateInstallationState> mapState(const QString& state);

    // Shows a download in progress without a server (for pictures of the page).
    void showDownloadPreview(qint64 received, qint64 expected);

Q_SIGNALS:
    void statusChanged();
    void progressChanged();

private:
    using ReplyHandler = void (VantrelUpdateInstallation::*)(const std::optional<QJsonObject>&);
    template <typename Ask> void askDaemon(QoS qos, Ask ask, ReplyHandler onReply);
    void setStatus(const QString& key);
    void setProgress(bool downloading, qint64 received, qint64 expected);
    void onPrepared(const VantrelUpdateService::Result& result);
    void onInstallReply(const std::optional<QJsonObject>& reply);
    void poll();
    void onStateReply(const std::optional<QJsonObject>& reply);
    void onPlatformReply(const std::optional<QJsonObject>& reply);
    void stopPolling();
    void markUnsupportedPlatform();

    Dispatch& dispatch_;
    VantrelUpdateService& service_;
    std::shared_ptr<const DaemonClient> daemon_;
    QString statusKey_;
    bool preparing_ = false;
    bool downloading_ = false;
    qint64 receivedBytes_ = 0;
    qint64 expectedBytes_ = 0;
    bool offersRecovery_ = false;
    QString transactionID_;
    CancelToken polling_;
    bool pollInFlight_ = false;
    bool unsupportedPlatform_ = false;
    bool platformChecked_ = false;
    bool platformCheckInFlight_ = false;
};

} // namespace vantrel
