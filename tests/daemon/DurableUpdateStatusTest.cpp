#include "daemon/DurableUpdateStatus.h"

#include <sys/stat.h>

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
        return readAsRoot(path, std::move(adjust));
    }
    static std::optional<QJsonObject> readAsRoot(const QString& path, std::function<void(Status&)> adjust = {})
    {
        return DurableUpdateStatus::readTrustedUpdateInstallationStatus(path, [&](Status& status) {
            status.ownerId = 0;
            status.groupId = 80;
            if (adjust)
                adjust(status);
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

TEST_F(DurableUpdateStatusTest, OpensWithoutFollowingLinksAndChecksWhatWasOpened)
{
    const QString target = dir_.write(QStringLiteral("real.json"), QJsonDocument(kValid).toJson());
    QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup);
    ASSERT_TRUE(readAsRoot(target)) << "the file itself is believed";

    // A link planted in place of the file is refused even though what it points at passes.
    const QString link = dir_.file(QStringLiteral("link.json"));
    ASSERT_TRUE(QFile::link(target, link));
    EXPECT_FALSE(readAsRoot(link));

    // A FIFO is refused at once instead of blocking the reader until someone writes to it.
    const QString fifo = dir_.file(QStringLiteral("fifo.json"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
    EXPECT_FALSE(readAsRoot(fifo));

    // The mode and size come from the open descriptor: a world-writable file and one larger
    // than the limit are refused as they really are.
    QFile::setPermissions(target, QFile::permissions(target) | QFileDevice::WriteOther);
    EXPECT_FALSE(readAsRoot(target));
    const QString big = dir_.write(QStringLiteral("big.json"), QByteArray(DurableUpdateStatus::maximumSize + 1, ' '));
    QFile::setPermissions(big, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_FALSE(readAsRoot(big));
}

TEST_F(DurableUpdateStatusTest, AFileSwappedAfterTheChecksIsNotWhatGetsRead)
{
    const QString path = dir_.write(QStringLiteral("status.json"), QJsonDocument(kValid).toJson());
    QJsonObject planted = kValid;
    planted.insert("state", "rolled_back");
    const QString elsewhere = dir_.write(QStringLiteral("planted.json"), QJsonDocument(planted).toJson());

    // Between the checks and the read, another process replaces the file with a link.
    const auto result = readAsRoot(path, [&](Status&) {
        QFile::remove(path);
        QFile::link(elsewhere, path);
    });
    ASSERT_TRUE(result);
    EXPECT_EQ(result->value("state").toString(), "postinstall_verified") << "the checked file was read";
}

} // namespace
} // namespace vantrel
