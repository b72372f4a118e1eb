// Package verification, the installation walk over simulated seconds and the durable status file.
#include <QCryptographicHash>
#include <QJsonDocument>
#include <QUuid>

#include <gtest/gtest.h>

#include "SimTestSupport.h"
#include "base/AtomicFile.h"
#include "base/JsonAccess.h"

using namespace vantrel;
using namespace vantrel::sim;
using test::call;
using test::statusOf;

namespace {

const QByteArray kPackage = "xar!....<pkg-info identifier=\"com.morrowlightco.Vantrel\">"
                            "<bundle CFBundleShortVersionString=\"1.4.0\" CFBundleVersion=\"140\"/></pkg-info>";

QJsonObject packageArgs(const QString& path, const QString& sha, const QString& version = "1.4.0",
                        const QString& bundle = "140")
{
    return {{"pkg_path", path},
            {"expected_sha256", sha},
            {"expected_version", version},
            {"expected_bundle_version", bundle}};
}

QString sha256(const QByteArray& bytes) { return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex(); }

} // namespace

TEST(UpdatePackages, VerificationChecksDigestVersionAndBundleVersion)
{
    test::TempDir dir;
    SimDaemon daemon(test::simConfig(dir));
    const QString pkg = dir.write("Updates/Vantrel-owned-x-Vantrel.pkg", kPackage);
    const QString sha = sha256(kPackage);

    const auto ok = call(daemon, "verify_update_package", packageArgs(pkg, sha.toUpper()));
    EXPECT_EQ(statusOf(ok), "ok");
    EXPECT_EQ(ok["version"].toString(), "1.4.0");
    EXPECT_EQ(ok["bundle_version"].toString(), "140");

    EXPECT_EQ(call(daemon, "verify_update_package", packageArgs(pkg, sha256("other")))["code"].toString(),
              "ERR_PACKAGE_SHA256_MISMATCH");
    EXPECT_EQ(call(daemon, "verify_update_package", packageArgs(pkg, sha, "1.5.0"))["code"].toString(),
              "ERR_PACKAGE_VERSION_MISMATCH");
    EXPECT_EQ(call(daemon, "verify_update_package", packageArgs(pkg, sha, "1.4.0", "141"))["code"].toString(),
              "ERR_PACKAGE_BUNDLE_VERSION_MISMATCH");
    EXPECT_EQ(call(daemon, "verify_update_package", packageArgs(dir.file("none.pkg"), sha))["code"].toString(),
              "ERR_PACKAGE_NOT_FOUND");
    const QString bare = dir.write("bare.pkg", "no metadata");
    EXPECT_EQ(call(daemon, "verify_update_package", packageArgs(bare, sha256("no metadata")))["code"].toString(),
              "ERR_PACKAGE_METADATA_MISSING");
    EXPECT_EQ(call(daemon, "verify_update_package", {{"pkg_path", pkg}})["code"].toString(), "ERR_INVALID_ARGUMENT");
}

TEST(UpdatePackages, InstallationWalksItsStatesIntoTheDurableFileAndSurvivesARestart)
{
    test::TempDir dir;
    const SimDaemonConfig config = test::simConfig(dir);
    const QString pkg = dir.write("Updates/Vantrel-owned-y-Vantrel.pkg", kPackage);
    QString transaction;
    {
        SimDaemon daemon(config);
        EXPECT_EQ(statusOf(call(daemon, "get_update_installation_state")), "error") << "nothing installed yet";
        QJsonObject args = packageArgs(pkg, sha256(kPackage));
        EXPECT_EQ(call(daemon, "install_update_package", args)["code"].toString(), "ERR_USER_CONFIRMATION_REQUIRED");
        args["user_confirmed"] = true;
        const auto started = call(daemon, "install_update_package", args);
        ASSERT_EQ(statusOf(started), "ok");
        transaction = started["transaction_id"].toString();
        EXPECT_FALSE(QUuid::fromString(transaction).isNull());
        EXPECT_EQ(call(daemon, "install_update_package", args)["code"].toString(), "ERR_INSTALL_IN_PROGRESS");

        QStringList seen;
        for (int i = 0; i < 10; ++i) {
            const auto state = call(daemon, "get_update_installation_state");
            EXPECT_EQ(state["transaction_id"].toString(), transaction);
            EXPECT_EQ(state["schema_version"].toString(), "vantrel_update_installation_state.v1");
            if (seen.isEmpty() || seen.last() != state["state"].toString())
                seen << state["state"].toString();
            test::step(daemon, 1);
        }
        EXPECT_EQ(seen,
                  (QStringList{"preparing", "installing", "postinstall_bootstrap_authorized", "postinstall_verified",
                               "completed"}));
        EXPECT_EQ(statusOf(call(daemon, "ack_update_app_relaunch", {{"transaction_id", transaction}})), "ok");
        EXPECT_EQ(call(daemon, "ack_update_app_relaunch", {{"transaction_id", QUuid::createUuid().toString()}})["code"]
                      .toString(),
                  "ERR_TRANSACTION_MISMATCH");
    }
    // The durable file holds what the application's fallback reads.
    const auto durable = json::parseObject(readFile(config.updateStatusPath).value_or(QByteArray()));
    ASSERT_TRUE(durable);
    EXPECT_EQ(durable->value("state").toString(), "completed");
    EXPECT_EQ(durable->value("transaction_id").toString(), transaction);
    EXPECT_EQ(durable->value("schema_version").toString(), "vantrel_update_installation_state.v1");

    SimDaemon restarted(config);
    EXPECT_EQ(call(restarted, "get_update_installation_state")["transaction_id"].toString(), transaction);
}

TEST(UpdatePackages, FailureOutcomesAndAnEarlyAcknowledgement)
{
    test::TempDir dir;
    SimDaemon daemon(test::simConfig(dir));
    const QString pkg = dir.write("p.pkg", kPackage);
    QJsonObject args = packageArgs(pkg, sha256(kPackage));
    args["user_confirmed"] = true;
    const auto finalState = [&](const char* outcome) {
        EXPECT_EQ(statusOf(call(daemon, "sim_update_outcome", {{"outcome", outcome}})), "ok");
        EXPECT_EQ(statusOf(call(daemon, "install_update_package", args)), "ok");
        test::step(daemon, 20);
        return call(daemon, "get_update_installation_state")["state"].toString();
    };
    EXPECT_EQ(finalState("rolled_back"), "rolled_back");
    EXPECT_EQ(finalState("recovery_failed"), "recovery_failed");
    EXPECT_EQ(finalState("manual_recovery_required"), "manual_recovery_required");
    EXPECT_EQ(finalState("launch_failed"), "launch_failed");

    call(daemon, "sim_update_outcome", {{"outcome", "completed"}});
    const QString id = call(daemon, "install_update_package", args)["transaction_id"].toString();
    test::step(daemon, 4);
    ASSERT_EQ(call(daemon, "get_update_installation_state")["state"].toString(), "postinstall_verified");
    call(daemon, "ack_update_app_relaunch", {{"transaction_id", id}});
    EXPECT_EQ(call(daemon, "get_update_installation_state")["state"].toString(), "app_relaunch_acknowledged");
    test::step(daemon, 1);
    const auto done = call(daemon, "get_update_installation_state");
    EXPECT_EQ(done["state"].toString(), "completed");
    EXPECT_TRUE(done["app_relaunch_acknowledged"].toBool());
    EXPECT_EQ(statusOf(call(daemon, "sim_update_outcome", {{"outcome", "exploded"}})), "error");
}
