#include "power/OnlyPowerPolicyEvidenceRecorder.h"

#include <memory>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>

#include <gtest/gtest.h>

#include "base/VirtualDispatch.h"
#include "daemon/DaemonClient.h"
#include "support/FakeDaemonTransport.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"

namespace vantrel {
namespace {

// POSIX-style mode bits from Qt's permission flags.
int ownerGroupOther(const QString& path)
{
    const auto p = QFileInfo(path).permissions();
    int mode = 0;
    const std::pair<QFileDevice::Permission, int> bits[]
        = {{QFileDevice::ReadOwner, 0400}, {QFileDevice::WriteOwner, 0200}, {QFileDevice::ExeOwner, 0100},
           {QFileDevice::ReadGroup, 040},  {QFileDevice::WriteGroup, 020},  {QFileDevice::ExeGroup, 010},
           {QFileDevice::ReadOther, 04},   {QFileDevice::WriteOther, 02},   {QFileDevice::ExeOther, 01}};
    for (auto [flag, bit] : bits)
        if (p.testFlag(flag))
            mode |= bit;
    return mode;
}

struct EvidenceFixture : ::testing::Test {
    test::TempDir dir;
    std::shared_ptr<test::FakeDaemonTransport> daemon = std::make_shared<test::FakeDaemonTransport>();
    DaemonClient client{daemon};
    VirtualDispatch dispatch;
    OnlyPowerPolicyEvidenceRecorder recorder{client, dispatch, dir.paths()};
};

TEST_F(EvidenceFixture, WritesTheLatestReadbackPrivatelyWithSortedKeys)
{
    daemon->replyOk("get_power_policy_state",
                    QJsonObject{{"power_only_state", QJsonValue::Null},
                                {"battery_percent", 77},
                                {"charge_limit_enabled", true},
                                {"target_charge_limit", 80},
                                {"app_lease_active", false},
                                {"fan_preset_name", "Balanced"}});
    recorder.capture();
    EXPECT_FALSE(QFile::exists(recorder.evidenceFile())) << "the write waits for the recorder's queue";
    dispatch.runUntilIdle();

    QFile file(recorder.evidenceFile());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const QJsonObject o = QJsonDocument::fromJson(bytes).object();
    EXPECT_EQ(o.value("schema_version").toString(), "vantrel_only_power_policy_readback.v1");
    EXPECT_EQ(o.value("source").toString(), "authenticated_app_daemon_ipc");
    EXPECT_EQ(o.value("observed_at").toString(), "2026-01-15T12:00:00Z");
    EXPECT_DOUBLE_EQ(o.value("epoch_seconds").toDouble(), 1768478400.0);
    EXPECT_EQ(o.value("battery_percent").toInt(), 77);
    EXPECT_FALSE(o.value("app_lease_active").toBool());
    EXPECT_TRUE(o.contains("app_lease_active"));
    EXPECT_FALSE(o.contains("power_only_state")) << "null values are left out";
    EXPECT_FALSE(o.contains("fan_preset_name")) << "only the twelve policy keys are copied";
    EXPECT_FALSE(o.contains("status"));
    EXPECT_EQ(o.keys().size(), 8);
    EXPECT_LT(bytes.indexOf("app_lease_active"), bytes.indexOf("battery_percent"));
    EXPECT_LT(bytes.indexOf("battery_percent"), bytes.indexOf("charge_limit_enabled"));

    EXPECT_EQ(ownerGroupOther(recorder.evidenceFile()), 0600);
    EXPECT_EQ(ownerGroupOther(recorder.directory()), 0700);

    // A later capture replaces the file.
    dispatch.advanceSeconds(60);
    daemon->replyOk("get_power_policy_state", QJsonObject{{"battery_percent", 76}});
    recorder.capture();
    dispatch.runUntilIdle();
    file.close(); // the old handle still reads the replaced file
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QJsonObject later = QJsonDocument::fromJson(file.readAll()).object();
    EXPECT_EQ(later.value("battery_percent").toInt(), 76);
    EXPECT_FALSE(later.contains("target_charge_limit"));
}

TEST_F(EvidenceFixture, NoReplyWritesNothingAndAFailedWriteGoesToTheSystemLog)
{
    test::LogCapture log;
    recorder.capture();
    dispatch.runUntilIdle();
    EXPECT_FALSE(QFile::exists(recorder.evidenceFile()));

    // A file where the folder should be makes the write fail.
    QDir().mkpath(QFileInfo(recorder.directory()).absolutePath());
    QFile blocker(recorder.directory());
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    daemon->replyOk("get_power_policy_state", QJsonObject{{"battery_percent", 50}});
    recorder.capture();
    dispatch.runUntilIdle();
    EXPECT_TRUE(log.contains("[system] Vantrel policy evidence write failed: "));
}

} // namespace
} // namespace vantrel
