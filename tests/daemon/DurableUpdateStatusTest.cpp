#include "daemon/DurableUpdateStatus.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>

#include <gtest/gtest.h>

#include "support/TempDir.h"

namespace vantrel {
namespace {

using Status = DurableUpdateStatus::FileStatus;

const QJsonObject kValid{{"schema_version", "vantrel_update_installation_state.v1"},
                         {"state", "postinstall_verified"},
                         {"transaction_id", "6F9619FF-8B86-D011-B42D-00C04FC964FF"},
                         {"version", "1.4.0"}};

class DurableUpdateStatusTest : public ::testing::Test {
protected:
    // The real item, seen as if root:admin owned it (a test cannot chown to them).
    std::optional<QJsonObject> read(const QJsonObject& contents, std::function<void(Status&)> adjust = {})
    {
        return readBytes(QJsonDocument(contents).toJson(), std::move(adjust));
    }
    std::optional<QJsonObject> readBytes(const QByteArray& bytes, std::function<void(Status&)> adjust = {})
    {
        const QString path = dir_.write(QStringLiteral("status.json"), bytes);
        QFile::setPermissions(
            path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
        return DurableUpdateStatus::readTrustedUpdateInstallationStatus(path, [&](const QString& p) {
            auto status = DurableUpdateStatus::statItem(p);
            if (status) {
                status->ownerId = 0;
                status->groupId = 80;
                if (adjust)
                    adjust(*status);
            }
            return status;
        });
    }

    test::TempDir dir_;
};

TEST_F(DurableUpdateStatusTest, AcceptsOnlyARootOwnedWellFormedFile)
{
    auto accepted = read(kValid);
    ASSERT_TRUE(accepted);
    QJsonObject expected = kValid;
    expected.insert("status", "ok");
    expected.insert("source", "durable_local_update_status");
    EXPECT_EQ(*accepted, expected);

    // Ownership, type, permission and size checks.
    EXPECT_FALSE(read(kValid, [](Status& s) { s.ownerId = 501; }));
    EXPECT_FALSE(read(kValid, [](Status& s) { s.groupId = 20; }));
    EXPECT_FALSE(read(kValid, [](Status& s) { s.permissions = 0664; }));
    EXPECT_FALSE(read(kValid, [](Status& s) { s.permissions = 0646; }));
    EXPECT_TRUE(read(kValid, [](Status& s) { s.permissions = 0600; }));
    EXPECT_FALSE(read(kValid, [](Status& s) { s.isRegularFile = false; }));
    EXPECT_FALSE(readBytes(QByteArray()));
    QJsonObject padded = kValid;
    padded.insert("notes", QString(65536, QLatin1Char('n')));
    EXPECT_FALSE(read(padded));
    padded.insert("notes", QString(65000, QLatin1Char('n')));
    EXPECT_TRUE(read(padded));

    // Contents.
    EXPECT_FALSE(readBytes("[]"));
    EXPECT_FALSE(readBytes("{\"schema_version\":"));
    const auto without = [](const char* key, QJsonValue value = QJsonValue::Undefined) {
        QJsonObject o = kValid;
        if (value.isUndefined())
            o.remove(QString::fromLatin1(key));
        else
            o.insert(QString::fromLatin1(key), value);
        return o;
    };
    EXPECT_FALSE(read(without("schema_version")));
    EXPECT_FALSE(read(without("schema_version", "vantrel_update_installation_state.v2")));
    EXPECT_FALSE(read(without("state", "downloading")));
    EXPECT_FALSE(read(without("state", 3)));
    EXPECT_FALSE(read(without("transaction_id")));
    EXPECT_FALSE(read(without("transaction_id", "not-a-uuid")));
    EXPECT_FALSE(read(without("transaction_id", "{6F9619FF-8B86-D011-B42D-00C04FC964FF}")));
    EXPECT_TRUE(read(without("transaction_id", "6f9619ff-8b86-d011-b42d-00c04fc964ff")));
    EXPECT_TRUE(read(without("transaction_id", "00000000-0000-0000-0000-000000000000")));
    for (const char* state : {"preparing", "installing", "postinstall_bootstrap_authorized", "postinstall_verified",
                              "app_relaunch_acknowledged", "rollback_pending_health", "completed", "rolled_back",
                              "recovery_failed", "manual_recovery_required", "launch_failed"})
        EXPECT_TRUE(read(without("state", state))) << state;
}

TEST_F(DurableUpdateStatusTest, RealStatRejectsLinksFoldersAndMissingFiles)
{
    const QString target = dir_.write(QStringLiteral("real.json"), QJsonDocument(kValid).toJson());
    const QString link = dir_.file(QStringLiteral("link.json"));
    ASSERT_TRUE(QFile::link(target, link));
    const auto linkStatus = DurableUpdateStatus::statItem(link);
    ASSERT_TRUE(linkStatus);
    EXPECT_FALSE(linkStatus->isRegularFile);
    QDir().mkpath(dir_.file(QStringLiteral("folder")));
    EXPECT_FALSE(DurableUpdateStatus::statItem(dir_.file(QStringLiteral("folder")))->isRegularFile);
    EXPECT_FALSE(DurableUpdateStatus::statItem(dir_.file(QStringLiteral("missing.json"))));

    const auto fileStatus = DurableUpdateStatus::statItem(target);
    ASSERT_TRUE(fileStatus);
    EXPECT_TRUE(fileStatus->isRegularFile);
    EXPECT_EQ(fileStatus->size, QFile(target).size());
    EXPECT_FALSE(DurableUpdateStatus::readTrustedUpdateInstallationStatus(dir_.file(QStringLiteral("missing.json"))));
}

} // namespace
} // namespace vantrel
