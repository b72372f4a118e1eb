#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include "base/VirtualDispatch.h"
#include "daemon/DaemonClient.h"
#include "support/FakeDaemonTransport.h"
#include "support/TempDir.h"
#include "update/FakeTransfers.h"
#include "update/VantrelUpdateInstallation.h"
#include "update/VantrelUpdateService.h"

using namespace vantrel;
using test::FakeTransfers;

namespace {

const QByteArray kPackage
    = QByteArrayLiteral("xar! CFBundleShortVersionString=\"1.3.0\" CFBundleVersion=\"41\" payload");

QByteArray manifest(const QString& version = QStringLiteral("1.3.0"), const QString& bundle = QStringLiteral("41"))
{
    const QString name = QStringLiteral("Vantrel-%1.%2.pkg").arg(version, bundle);
    return QJsonDocument(
               QJsonObject{{"schema_version", "vantrel_release_manifest.v1"},
                           {"channel", "stable"},
                           {"version", version},
                           {"bundle_version", bundle},
                           {"platform", "macos"},
                           {"minimum_macos", "13.0"},
                           {"artifact",
                            QJsonObject{{"file_name", name},
                                        {"url", "https://downloads.example.test/downloads/" + name},
                                        {"sha256",
                                         QString::fromLatin1(
                                             QCryptographicHash::hash(kPackage, QCryptographicHash::Sha256).toHex())},
                                        {"size_bytes", kPackage.size()}}}})
        .toJson();
}

class UpdateServiceTest : public ::testing::Test {
protected:
    UpdateServiceTest()
    {
        dispatch_.clock().setWallTime(QDateTime::currentDateTimeUtc());
        client_->setUpdateStatusReader([this] { return durable_; });
    }

    std::unique_ptr<VantrelUpdateService> makeService()
    {
        VantrelUpdateServiceSettings s;
        s.endpoint.manifestURL = QUrl(QStringLiteral("https://downloads.example.test/downloads/latest.json"));
        s.installedVersion = QStringLiteral("1.2.0");
        s.installedBundleVersion = QStringLiteral("40");
        s.stagingDirectory = dir_.file("Updates");
        s.runningOSVersion = [] { return std::optional<QString>(QStringLiteral("14.5")); };
        return std::make_unique<VantrelUpdateService>(dispatch_, client_, transfers_.factory(), s);
    }

    // Presses prepare and returns the results that reached the completion.
    std::shared_ptr<std::vector<VantrelUpdateService::Result>> prepare(VantrelUpdateService& service)
    {
        auto results = std::make_shared<std::vector<VantrelUpdateService::Result>>();
        service.prepareUpdate([results](const VantrelUpdateService::Result& r) { results->push_back(r); });
        return results;
    }

    QStringList stagedFiles() const { return QDir(dir_.file("Updates")).entryList(QDir::Files); }

    VirtualDispatch dispatch_;
    test::TempDir dir_;
    std::shared_ptr<test::FakeDaemonTransport> daemon_ = std::make_shared<test::FakeDaemonTransport>();
    std::shared_ptr<DaemonClient> client_ = std::make_shared<DaemonClient>(daemon_, QStringLiteral("/nonexistent"));
    std::optional<QJsonObject> durable_;
    FakeTransfers transfers_;
};

UpdateFailure failureOf(const VantrelUpdateService::Result& r) { return std::get<UpdateFailure>(r); }

} // namespace

TEST_F(UpdateServiceTest, PreparesAVerifiedPackageInTheStagingFolder)
{
    auto service = makeService();
    daemon_->replyOk("verify_update_package", {{"verified", true}});
    auto results = prepare(*service);

    ASSERT_EQ(transfers_.entries.size(), 1u);
    auto& m = *transfers_.entries[0];
    EXPECT_EQ(m.request.url.toString(), "https://downloads.example.test/downloads/latest.json");
    EXPECT_EQ(m.request.maximumBytes, 1048576);
    EXPECT_FALSE(m.request.exactBytes);
    EXPECT_FALSE(m.request.destination);
    FakeTransfers::succeed(m, manifest());
    dispatch_.runUntilIdle();

    ASSERT_EQ(transfers_.entries.size(), 2u);
    auto& p = *transfers_.entries[1];
    EXPECT_EQ(p.request.url.toString(), "https://downloads.example.test/downloads/Vantrel-1.3.0.41.pkg");
    EXPECT_EQ(p.request.maximumBytes, kPackage.size());
    EXPECT_EQ(p.request.exactBytes, kPackage.size());
    const QString destination = p.request.destination.value_or(QString());
    EXPECT_TRUE(destination.startsWith(dir_.file("Updates/Vantrel-owned-")));
    EXPECT_TRUE(destination.endsWith("-Vantrel-1.3.0.41.pkg"));
    EXPECT_TRUE(results->empty());
    FakeTransfers::succeed(p, kPackage);
    dispatch_.runUntilIdle();

    const auto verify = daemon_->requestsFor("verify_update_package");
    ASSERT_EQ(verify.size(), 1u);
    EXPECT_EQ(verify[0].value("pkg_path").toString(), destination);
    EXPECT_EQ(verify[0].value("expected_sha256").toString().size(), 64);
    EXPECT_EQ(verify[0].value("expected_version").toString(), "1.3.0");
    EXPECT_EQ(verify[0].value("expected_bundle_version").toString(), "41");

    ASSERT_EQ(results->size(), 1u);
    const auto& prepared = std::get<VantrelPreparedUpdate>(results->front());
    EXPECT_EQ(prepared.localPackageURL, destination);
    EXPECT_TRUE(QFile::exists(destination));
    EXPECT_FALSE(service->isPreparing());
    prepared.discard();
    EXPECT_FALSE(QFile::exists(destination));
}

TEST_F(UpdateServiceTest, EachFailureGivesItsStatusKey)
{
    struct Case {
        const char* name;
        std::function<void(FakeTransfers::Entry& manifestTransfer)> act;
        QString key;
    };
    const std::vector<Case> cases = {
        {"gone", [](auto& e) { FakeTransfers::failWith(e, UpdateDownloadError::untrustedResponse, 404); },
         "settings.update.release_unavailable"},
        {"removed", [](auto& e) { FakeTransfers::failWith(e, UpdateDownloadError::untrustedResponse, 410); },
         "settings.update.release_unavailable"},
        {"server", [](auto& e) { FakeTransfers::failWith(e, UpdateDownloadError::untrustedResponse, 503); },
         "settings.update.server_unavailable"},
        {"redirect", [](auto& e) { FakeTransfers::failWith(e, UpdateDownloadError::untrustedResponse, 302); },
         "settings.update.failed"},
        {"offline", [](auto& e) { FakeTransfers::failWith(e, UpdateDownloadError::downloadFailed, 0, true); },
         "settings.update.network_failed"},
        {"too large", [](auto& e) { FakeTransfers::failWith(e, UpdateDownloadError::responseTooLarge); },
         "settings.update.failed"},
        {"garbage", [](auto& e) { FakeTransfers::succeed(e, "<html>"); }, "settings.update.failed"},
        {"beta", [](auto& e) { FakeTransfers::succeed(e, manifest().replace("stable", "beta")); },
         "settings.update.failed"},
        {"same", [](auto& e) { FakeTransfers::succeed(e, manifest("1.2.0", "40")); }, "settings.update.no_update"},
    };
    for (const auto& c : cases) {
        transfers_.entries.clear();
        auto service = makeService();
        auto results = prepare(*service);
        ASSERT_EQ(transfers_.entries.size(), 1u) << c.name;
        c.act(*transfers_.entries[0]);
        dispatch_.runUntilIdle();
        ASSERT_EQ(results->size(), 1u) << c.name;
        EXPECT_EQ(updateFailureStatusKey(failureOf(results->front())), c.key) << c.name;
        EXPECT_EQ(transfers_.entries.size(), 1u) << c.name << ": no package download after a failed manifest";
    }
    EXPECT_TRUE(daemon_->requests().empty());
}

TEST_F(UpdateServiceTest, PackageFailuresAndDaemonRefusalLeaveNoFile)
{
    auto service = makeService();
    auto results = prepare(*service);
    FakeTransfers::succeed(*transfers_.entries[0], manifest());
    FakeTransfers::failWith(*transfers_.entries[1], UpdateDownloadError::sizeMismatch);
    dispatch_.runUntilIdle();
    ASSERT_EQ(results->size(), 1u);
    EXPECT_EQ(std::get<UpdateDownloadFailure>(failureOf(results->front())).error, UpdateDownloadError::sizeMismatch);

    daemon_->reply("verify_update_package",
                   QJsonObject{{"status", "error"}, {"error_code", "ERR_PACKAGE_SHA256_MISMATCH"}});
    results = prepare(*service);
    FakeTransfers::succeed(*transfers_.entries[2], manifest());
    FakeTransfers::succeed(*transfers_.entries[3], kPackage);
    dispatch_.runUntilIdle();
    ASSERT_EQ(results->size(), 1u);
    EXPECT_EQ(std::get<VantrelUpdateError>(failureOf(results->front())).kind,
              VantrelUpdateError::Kind::daemonRejectedPackage);
    EXPECT_TRUE(stagedFiles().isEmpty()) << stagedFiles().join(",").toStdString();

    // A daemon that does not answer rejects the package too.
    daemon_->reply("verify_update_package", std::nullopt);
    results = prepare(*service);
    FakeTransfers::succeed(*transfers_.entries[4], manifest());
    FakeTransfers::succeed(*transfers_.entries[5], kPackage);
    dispatch_.runUntilIdle();
    ASSERT_EQ(results->size(), 1u);
    EXPECT_EQ(updateFailureStatusKey(failureOf(results->front())), "settings.update.failed");
    EXPECT_TRUE(stagedFiles().isEmpty());
}

TEST_F(UpdateServiceTest, PressingTwiceCancelsTheFirstAndDiscardsItsLateResult)
{
    daemon_->replyOk("verify_update_package");
    auto service = makeService();
    auto first = prepare(*service);
    FakeTransfers::succeed(*transfers_.entries[0], manifest());
    auto& firstPackage = *transfers_.entries[1];

    auto second = prepare(*service);
    dispatch_.runUntilIdle();
    EXPECT_TRUE(firstPackage.cancelled);
    EXPECT_TRUE(firstPackage.destroyed);
    // The first package's download finishes anyway (it was already on its way).
    FakeTransfers::succeed(firstPackage, kPackage, /*late=*/true);
    dispatch_.runUntilIdle();
    EXPECT_TRUE(first->empty());
    EXPECT_TRUE(stagedFiles().isEmpty());

    FakeTransfers::succeed(*transfers_.entries[2], manifest());
    FakeTransfers::succeed(*transfers_.entries[3], kPackage);
    dispatch_.runUntilIdle();
    EXPECT_TRUE(first->empty());
    ASSERT_EQ(second->size(), 1u);
    EXPECT_TRUE(std::holds_alternative<VantrelPreparedUpdate>(second->front()));
    EXPECT_EQ(stagedFiles().size(), 1);

    // Cancelled while the daemon verifies: the verified package is discarded, nothing completes.
    auto third = prepare(*service);
    FakeTransfers::succeed(*transfers_.entries[4], manifest());
    FakeTransfers::succeed(*transfers_.entries[5], kPackage);
    service->cancelPreparation();
    dispatch_.runUntilIdle();
    EXPECT_TRUE(third->empty());
    EXPECT_EQ(stagedFiles().size(), 1); // only the second's, which its owner holds
}

TEST_F(UpdateServiceTest, StartUpHousekeepingRemovesOnlyStaleLeftovers)
{
    QDir().mkpath(dir_.file("Updates"));
    const QDateTime now = dispatch_.clock().now();
    const auto make = [&](const QString& name, qint64 ageSeconds) {
        QFile f(dir_.file("Updates/" + name));
        f.open(QIODevice::WriteOnly);
        f.write("x");
        f.flush();
        f.setFileTime(now.addSecs(-ageSeconds), QFileDevice::FileModificationTime);
        f.close();
    };
    make("a.pkg.download", 3700);
    make("b.pkg.download", 3500);
    make("Vantrel-owned-1-Vantrel-1.3.0.41.pkg", 90000);
    make("Vantrel-owned-2-Vantrel-1.3.0.41.pkg", 80000);
    make("notes.txt", 900000);
    auto service = makeService();
    QStringList left = stagedFiles();
    left.sort();
    EXPECT_EQ(left.join(' ').toStdString(), "Vantrel-owned-2-Vantrel-1.3.0.41.pkg b.pkg.download notes.txt");
}

TEST_F(UpdateServiceTest, InstallationFollowsTheDaemonUntilAFinalState)
{
    daemon_->replyOk("verify_update_package");
    daemon_->replyOk("install_update_package", {{"transaction_id", "11111111-2222-3333-4444-555555555555"}});
    QString state = "preparing";
    QString transaction = "11111111-2222-3333-4444-555555555555";
    daemon_->handle("get_update_installation_state", [&](const QJsonObject&) {
        return std::optional<QJsonObject>(
            QJsonObject{{"status", "ok"}, {"state", state}, {"transaction_id", transaction}});
    });
    auto service = makeService();
    VantrelUpdateInstallation flow(dispatch_, *service, client_);
    QStringList seen;
    QObject::connect(&flow, &VantrelUpdateInstallation::statusChanged, [&] {
        if (seen.isEmpty() || seen.last() != flow.statusKey())
            seen << flow.statusKey();
    });

    flow.start();
    EXPECT_EQ(flow.statusKey(), "settings.update.checking");
    FakeTransfers::succeed(*transfers_.entries[0], manifest());
    auto& package = *transfers_.entries[1];
    package.progress(kPackage.size() / 2, kPackage.size());
    EXPECT_TRUE(flow.isDownloading());
    EXPECT_NEAR(flow.downloadFraction().value_or(-1), 0.5, 0.01);
    FakeTransfers::succeed(package, kPackage);
    dispatch_.runUntilIdle();
    EXPECT_FALSE(flow.isDownloading());

    const auto install = daemon_->requestsFor("install_update_package");
    ASSERT_EQ(install.size(), 1u);
    EXPECT_EQ(install[0].value("user_confirmed"), QJsonValue(true));
    EXPECT_EQ(install[0].value("expected_version").toString(), "1.3.0");
    EXPECT_EQ(flow.statusKey(), "settings.update.started");
    EXPECT_TRUE(stagedFiles().isEmpty()) << "the local copy is discarded once the daemon has it";

    dispatch_.advanceSeconds(1.9);
    EXPECT_TRUE(daemon_->requestsFor("get_update_installation_state").empty());
    dispatch_.advanceSeconds(0.1);
    EXPECT_EQ(daemon_->requestsFor("get_update_installation_state").size(), 1u);
    EXPECT_EQ(flow.statusKey(), "settings.update.installing");

    // Another installation's state does not move the status line.
    transaction = "99999999-2222-3333-4444-555555555555";
    state = "completed";
    dispatch_.advanceSeconds(2);
    EXPECT_EQ(flow.statusKey(), "settings.update.installing");

    // The daemon goes away mid-install: the durable status file carries the progress.
    daemon_->handle("get_update_installation_state", [](const QJsonObject&) { return std::optional<QJsonObject>(); });
    durable_ = QJsonObject{{"status", "ok"},
                           {"source", "durable_local_update_status"},
                           {"state", "completed"},
                           {"transaction_id", "11111111-2222-3333-4444-555555555555"}};
    dispatch_.advanceSeconds(2);
    EXPECT_EQ(flow.statusKey(), "settings.update.completed");
    EXPECT_FALSE(flow.isInstalling());
    const auto polls = daemon_->requestsFor("get_update_installation_state").size();
    dispatch_.advanceSeconds(10);
    EXPECT_EQ(daemon_->requestsFor("get_update_installation_state").size(), polls) << "polling stops at a final state";
    EXPECT_EQ(seen,
              (QStringList{"settings.update.checking", "settings.update.installing", "settings.update.started",
                           "settings.update.installing", "settings.update.completed"}));
}

TEST_F(UpdateServiceTest, InstallationRefusalsAndRecovery)
{
    EXPECT_EQ(VantrelUpdateInstallation::mapState("rollback_pending_health")->statusKey, "settings.update.installing");
    EXPECT_FALSE(VantrelUpdateInstallation::mapState("rollback_pending_health")->isFinal);
    EXPECT_EQ(VantrelUpdateInstallation::mapState("rolled_back")->statusKey, "settings.update.rolled_back");
    EXPECT_EQ(VantrelUpdateInstallation::mapState("launch_failed")->statusKey, "settings.update.failed");
    EXPECT_TRUE(VantrelUpdateInstallation::mapState("manual_recovery_required")->offersRecovery);
    EXPECT_FALSE(VantrelUpdateInstallation::mapState("bogus"));

    daemon_->replyOk("verify_update_package");
    daemon_->reply("install_update_package",
                   QJsonObject{{"status", "error"}, {"error_code", "ERR_INSTALL_IN_PROGRESS"}});
    auto service = makeService();
    VantrelUpdateInstallation flow(dispatch_, *service, client_);
    flow.start();
    FakeTransfers::succeed(*transfers_.entries[0], manifest());
    FakeTransfers::succeed(*transfers_.entries[1], kPackage);
    dispatch_.runUntilIdle();
    EXPECT_EQ(flow.statusKey(), "settings.update.failed");
    EXPECT_FALSE(flow.isInstalling());
    EXPECT_TRUE(stagedFiles().isEmpty());

    daemon_->replyOk("install_update_package", {{"transaction_id", "t-1"}});
    daemon_->replyOk("get_update_installation_state", {{"state", "recovery_failed"}, {"transaction_id", "t-1"}});
    flow.start();
    FakeTransfers::succeed(*transfers_.entries[2], manifest());
    FakeTransfers::succeed(*transfers_.entries[3], kPackage);
    dispatch_.runUntilIdle();
    dispatch_.advanceSeconds(2);
    EXPECT_EQ(flow.statusKey(), "settings.update.recovery_failed");
    EXPECT_TRUE(flow.offersRecovery());

    // Pressing again starts over and withdraws the recovery offer.
    flow.start();
    EXPECT_FALSE(flow.offersRecovery());
    EXPECT_EQ(flow.statusKey(), "settings.update.checking");
}

TEST_F(UpdateServiceTest, UnsupportedPlatformIsItsOwnErrorAndEndsTheOffer)
{
    const QJsonObject unsupported{{"status", "error"},
                                  {"code", "ERR_UNSUPPORTED_PLATFORM"},
                                  {"message", "Updates are not installed by the daemon on this platform."},
                                  {"reason", "unsupported_platform"}};
    EXPECT_EQ(updateErrorFromDaemonReply(unsupported),
              VantrelUpdateError{VantrelUpdateError::Kind::unsupportedPlatform});
    EXPECT_FALSE(updateErrorFromDaemonReply({{"status", "error"}, {"code", "ERR_INSTALL_IN_PROGRESS"}}));
    EXPECT_FALSE(updateErrorFromDaemonReply({{"status", "ok"}, {"code", "ERR_UNSUPPORTED_PLATFORM"}}));
    EXPECT_FALSE(updateErrorFromDaemonReply({{"status", "error"}, {"code", 3}}));
    EXPECT_EQ(updateFailureStatusKey(VantrelUpdateError{VantrelUpdateError::Kind::unsupportedPlatform}),
              "settings.update.unsupported_platform");

    // Verification refused for the platform: its own error, and the staged package is gone.
    daemon_->reply("verify_update_package", unsupported);
    auto service = makeService();
    auto results = prepare(*service);
    FakeTransfers::succeed(*transfers_.entries[0], manifest());
    FakeTransfers::succeed(*transfers_.entries[1], kPackage);
    dispatch_.runUntilIdle();
    ASSERT_EQ(results->size(), 1u);
    EXPECT_EQ(std::get<VantrelUpdateError>(failureOf(results->front())).kind,
              VantrelUpdateError::Kind::unsupportedPlatform);
    EXPECT_TRUE(stagedFiles().isEmpty());

    // The flow learns it once and then no longer downloads anything.
    VantrelUpdateInstallation flow(dispatch_, *service, client_);
    flow.start();
    FakeTransfers::succeed(*transfers_.entries[2], manifest());
    FakeTransfers::succeed(*transfers_.entries[3], kPackage);
    dispatch_.runUntilIdle();
    EXPECT_TRUE(flow.isUnsupportedPlatform());
    EXPECT_EQ(flow.statusKey(), "settings.update.unsupported_platform");
    flow.start();
    dispatch_.runUntilIdle();
    EXPECT_EQ(transfers_.entries.size(), 4u) << "pressing again fetches nothing";
    EXPECT_EQ(flow.statusKey(), "settings.update.unsupported_platform");
    EXPECT_FALSE(flow.isPreparing());

    // A verified package whose installation is refused for the platform ends the same way.
    daemon_->replyOk("verify_update_package");
    daemon_->reply("install_update_package", unsupported);
    VantrelUpdateInstallation installing(dispatch_, *service, client_);
    installing.start();
    FakeTransfers::succeed(*transfers_.entries[4], manifest());
    FakeTransfers::succeed(*transfers_.entries[5], kPackage);
    dispatch_.runUntilIdle();
    EXPECT_TRUE(installing.isUnsupportedPlatform());
    EXPECT_EQ(installing.statusKey(), "settings.update.unsupported_platform");
    EXPECT_FALSE(installing.isInstalling());
    EXPECT_TRUE(daemon_->requestsFor("get_update_installation_state").empty());
}

TEST_F(UpdateServiceTest, PlatformCheckAsksTheDaemonBeforeAnyDownload)
{
    auto service = makeService();
    VantrelUpdateInstallation flow(dispatch_, *service, client_);
    // Silent daemon: nothing is decided and the next check asks again.
    daemon_->reply("get_update_installation_state", std::nullopt);
    durable_ = QJsonObject{{"status", "ok"}, {"state", "completed"}};
    flow.checkPlatformSupport();
    dispatch_.runUntilIdle();
    EXPECT_FALSE(flow.isUnsupportedPlatform());
    EXPECT_TRUE(flow.statusKey().isEmpty());

    daemon_->reply("get_update_installation_state",
                   QJsonObject{{"status", "error"}, {"code", "ERR_UNSUPPORTED_PLATFORM"}, {"message", "no"}});
    flow.checkPlatformSupport();
    dispatch_.runUntilIdle();
    EXPECT_EQ(daemon_->requestsFor("get_update_installation_state").size(), 2u);
    EXPECT_TRUE(flow.isUnsupportedPlatform());
    EXPECT_EQ(flow.statusKey(), "settings.update.unsupported_platform");
    flow.start();
    EXPECT_TRUE(transfers_.entries.empty());
    flow.checkPlatformSupport();
    dispatch_.runUntilIdle();
    EXPECT_EQ(daemon_->requestsFor("get_update_installation_state").size(), 2u) << "an answer is kept";

    // A daemon that installs updates answers normally: the flow stays on offer.
    daemon_->replyOk("get_update_installation_state", {{"state", "idle"}});
    VantrelUpdateInstallation supported(dispatch_, *service, client_);
    supported.checkPlatformSupport();
    dispatch_.runUntilIdle();
    EXPECT_FALSE(supported.isUnsupportedPlatform());
    supported.start();
    EXPECT_EQ(transfers_.entries.size(), 1u);
    EXPECT_EQ(supported.statusKey(), "settings.update.checking");
}
