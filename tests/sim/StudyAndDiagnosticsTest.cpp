// The power-only study sample log and the diagnostic bundle written by the simulator.
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>

#include <gtest/gtest.h>

#include "SimTestSupport.h"
#include "base/AtomicFile.h"
#include "base/JsonAccess.h"
#include "base/JsonLines.h"
#include "conformance/DaemonConformance.h"

using namespace vantrel;
using namespace vantrel::sim;
using test::call;
using test::statusOf;

TEST(StudyLog, SamplesAtTheIntervalWithTheFieldsOfTheStudyFormat)
{
    test::TempDir dir;
    SimDaemonConfig config = test::simConfig(dir);
    config.studyIntervalSeconds = 60;
    SimDaemon daemon(config);
    call(daemon, "set_charge_limit", {{"limit", 80}});
    test::step(daemon, 600);
    call(daemon, "sim_adapter", {{"connected", false}});
    test::step(daemon, 300);

    const auto samples = jsonl::read(config.studyLogPath);
    ASSERT_EQ(samples.size(), 15u) << "one sample a minute of simulated time";
    const QJsonObject first = samples.front();
    EXPECT_DOUBLE_EQ(json::number(first, "epoch_seconds").value(), test::kSimStartEpoch + 1);
    for (const char* k : {"timestamp", "phase"})
        EXPECT_TRUE(json::string(first, k)) << k;
    for (const char* k : {"cycle_count", "raw_max_capacity_mAh", "instant_amperage_mA", "state_of_charge_percent"})
        EXPECT_TRUE(json::integer(first, k)) << k;
    for (const char* k : {"external_connected", "is_charging", "policy_verified"})
        EXPECT_TRUE(json::strictBool(first, k)) << k;
    for (const char* k : {"battery_power_watts", "system_power_watts"})
        EXPECT_TRUE(json::number(first, k)) << k;
    EXPECT_EQ(first["phase"].toString(), "only_power");
    EXPECT_GT(first["instant_amperage_mA"].toInt(), 0) << "charging toward the limit";
    const QJsonObject last = samples.back();
    EXPECT_EQ(last["phase"].toString(), "baseline");
    EXPECT_FALSE(last["external_connected"].toBool());
    EXPECT_LT(last["instant_amperage_mA"].toInt(), -51);
    EXPECT_LT(last["battery_power_watts"].toDouble(), 0);
    EXPECT_DOUBLE_EQ(samples[1]["epoch_seconds"].toDouble() - samples[0]["epoch_seconds"].toDouble(), 60.0);
}

TEST(DiagnosticBundle, ExportWritesTheReviewedFilesWithoutSecrets)
{
    test::TempDir dir;
    SimDaemon daemon(test::simConfig(dir));
    call(daemon, "set_cloud_alert_settings",
         {{"enabled", true},
          {"user_id", "studio-mac-01"},
          {"webhook_url", "https://hooks.example/secret-token"},
          {"interval_seconds", 300}});
    const QJsonObject request = test::conformanceExportRequest();
    const auto reply = call(daemon, "export_diagnostic_bundle", request);
    ASSERT_EQ(statusOf(reply), "ok") << reply["message"].toString().toStdString();
    const QString path = reply["path"].toString();
    EXPECT_EQ(reply["manifest"].toString(), "manifest.json");
    EXPECT_FALSE(reply["automatic_cloud_flush"].toBool());
    const QStringList files = QDir(path).entryList(QDir::Files);
    EXPECT_EQ(files.size(), 8);
    for (const char* f : {"manifest.json", "system_summary.json", "app_runtime.json", "policy_snapshot.json",
                          "events.jsonl", "permissions.json", "support_note.md", "privacy_notice.txt"})
        EXPECT_TRUE(files.contains(f)) << f;
    const auto manifest = json::parseObject(readFile(path + "/manifest.json").value_or(""));
    ASSERT_TRUE(manifest);
    EXPECT_EQ(manifest->value("support_case_id").toString(), "CASE-1234");
    EXPECT_FALSE(jsonl::read(path + "/events.jsonl").empty());
    for (const QString& f : files)
        EXPECT_FALSE(readFile(path + "/" + f).value_or("").contains("secret-token"))
            << "no webhook address in " << f.toStdString();

    QJsonObject withNames = request;
    withNames["include_process_names"] = true;
    const auto named = call(daemon, "export_diagnostic_bundle", withNames);
    EXPECT_EQ(named["process_summary_mode"].toString(), "names_only");
    EXPECT_TRUE(QFileInfo::exists(named["path"].toString() + "/process_summary.json"));
}
