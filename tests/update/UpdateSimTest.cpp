// End to end against a running vantrel-sim: a release published on a local HTTPS server is
// downloaded, verified by the simulated daemon's SHA-256 check and installed through its states.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>

#include "base/VirtualDispatch.h"
#include "daemon/DaemonClient.h"
#include "daemon/DaemonSocketTransport.h"
#include "integration/SimProcess.h"
#include "platform/sim/SimHardwareState.h"
#include "update/LocalHttpsServer.h"
#include "update/UpdateDownloadTransfer.h"
#include "update/VantrelUpdateInstallation.h"

using namespace vantrel;
using test::LocalHttpsServer;
using test::ScriptedResponse;

namespace {

void pumpUntil(VirtualDispatch& dispatch, const std::function<bool()>& done, int limitMs = 15000)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < limitMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        dispatch.runUntilIdle();
    }
}

QByteArray publish(LocalHttpsServer& server, const QByteArray& package, const QString& sha256)
{
    const QString name = QStringLiteral("Vantrel-1.3.0.41.pkg");
    server.route("/downloads/" + name, ScriptedResponse{200, package});
    return QJsonDocument(QJsonObject{{"schema_version", "vantrel_release_manifest.v1"},
                                     {"channel", "stable"},
                                     {"version", "1.3.0"},
                                     {"bundle_version", "41"},
                                     {"platform", "macos"},
                                     {"minimum_macos", "14.0"},
                                     {"artifact",
                                      QJsonObject{{"file_name", name},
                                                  {"url", server.url("/downloads/" + name)},
                                                  {"sha256", sha256},
                                                  {"size_bytes", package.size()}}}})
        .toJson();
}

class UpdateSimTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(sim_.start());
        ASSERT_TRUE(server_.listen());
        // The simulated Mac publishes its hardware file (with its macOS version) as it runs.
        sim_.call("sim_step", {{"seconds", 1}});
        client_ = std::make_shared<DaemonClient>(
            std::make_shared<DaemonSocketTransport>(dispatch_, sim_.socketPath(), false), dir_.file("no-status.json"));
        VantrelUpdateServiceSettings s;
        s.endpoint.manifestURL = QUrl(server_.url("/downloads/latest.json"));
        s.installedVersion = "1.2.0";
        s.installedBundleVersion = "40";
        s.stagingDirectory = dir_.file("Updates");
        auto hardware = std::make_shared<SimHardwareState>(sim_.stateDirectory());
        s.runningOSVersion = [hardware] { return hardware->macOSVersion(); };
        service_ = std::make_unique<VantrelUpdateService>(
            dispatch_, client_, UpdateDownloadTransfer::factory(dispatch_, LocalHttpsServer::certificateFile()), s);
        flow_ = std::make_unique<VantrelUpdateInstallation>(dispatch_, *service_, client_);
        QObject::connect(flow_.get(), &VantrelUpdateInstallation::statusChanged, [this] {
            if (seen_.isEmpty() || seen_.last() != flow_->statusKey())
                seen_ << flow_->statusKey();
        });
    }

    test::TempDir dir_;
    test::SimProcess sim_{dir_};
    LocalHttpsServer server_;
    VirtualDispatch dispatch_;
    std::shared_ptr<DaemonClient> client_;
    std::unique_ptr<VantrelUpdateService> service_;
    std::unique_ptr<VantrelUpdateInstallation> flow_;
    QStringList seen_;
};

const QByteArray kPackage = QByteArray("xar!") + QByteArray(4096, '\0')
    + "<bundle CFBundleShortVersionString=\"1.3.0\" CFBundleVersion=\"41\"/>" + QByteArray(60000, 'z');

} // namespace

TEST_F(UpdateSimTest, AStagedPackageIsVerifiedAndInstalledToCompleted)
{
    const QString sha = QString::fromLatin1(QCryptographicHash::hash(kPackage, QCryptographicHash::Sha256).toHex());
    server_.route("/downloads/latest.json", ScriptedResponse{200, publish(server_, kPackage, sha)});

    flow_->start();
    pumpUntil(dispatch_, [&] {
        return flow_->isInstalling() || (!flow_->isPreparing() && flow_->statusKey() != "settings.update.installing");
    });
    ASSERT_EQ(flow_->statusKey(), "settings.update.started") << seen_.join(" ").toStdString();
    const QJsonObject state = sim_.call("get_update_installation_state");
    EXPECT_EQ(state["transaction_id"].toString(), flow_->transactionID());
    EXPECT_EQ(state["pkg_sha256"].toString(), sha);

    for (int i = 0; i < 20 && flow_->isInstalling(); ++i) {
        sim_.call("sim_step", {{"seconds", 1}});
        dispatch_.advanceSeconds(2);
    }
    EXPECT_EQ(flow_->statusKey(), "settings.update.completed");
    EXPECT_EQ(seen_,
              (QStringList{"settings.update.checking", "settings.update.installing", "settings.update.started",
                           "settings.update.installing", "settings.update.completed"}));
    EXPECT_FALSE(flow_->offersRecovery());
}

TEST_F(UpdateSimTest, APackageWithAnotherDigestIsRejectedByTheDaemon)
{
    const QString wrong(64, QLatin1Char('0'));
    server_.route("/downloads/latest.json", ScriptedResponse{200, publish(server_, kPackage, wrong)});
    flow_->start();
    pumpUntil(dispatch_, [&] { return !flow_->isPreparing(); });
    EXPECT_EQ(flow_->statusKey(), "settings.update.failed");
    EXPECT_TRUE(QDir(dir_.file("Updates")).entryList(QDir::Files).isEmpty());
    EXPECT_EQ(sim_.call("get_update_installation_state")["status"].toString(), "error");
}

TEST_F(UpdateSimTest, RecoveryIsOfferedWhenTheInstallationCannotRecover)
{
    sim_.call("sim_update_outcome", {{"outcome", "recovery_failed"}});
    const QString sha = QString::fromLatin1(QCryptographicHash::hash(kPackage, QCryptographicHash::Sha256).toHex());
    server_.route("/downloads/latest.json", ScriptedResponse{200, publish(server_, kPackage, sha)});
    flow_->start();
    pumpUntil(dispatch_, [&] { return flow_->isInstalling(); });
    for (int i = 0; i < 20 && flow_->isInstalling(); ++i) {
        sim_.call("sim_step", {{"seconds", 1}});
        dispatch_.advanceSeconds(2);
    }
    EXPECT_EQ(flow_->statusKey(), "settings.update.recovery_failed");
    EXPECT_TRUE(flow_->offersRecovery());
}
