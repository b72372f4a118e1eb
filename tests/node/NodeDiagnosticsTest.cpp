// The diagnostic bundle on this machine: written under the state folder for the user to
// review, with the tree's own facts and nothing secret (the consent checks are shared and run
// in the conformance suite).
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>

#include <gtest/gtest.h>

#include "NodeTestSupport.h"
#include "base/AtomicFile.h"
#include "base/JsonAccess.h"
#include "base/JsonLines.h"
#include "conformance/DaemonConformance.h"

using namespace vantrel;
using test::FakeNode;
using test::FakeSysfsTree;

namespace {

QString text(const QString& path) { return QString::fromUtf8(readFile(path).value_or(QByteArray())); }

} // namespace

TEST(NodeDiagnostics, TheBundleHoldsThisMachinesFactsAndNoSecrets)
{
    FakeNode node;
    FakeSysfsTree::write(node.dir.path(), QStringLiteral("sys/class/power_supply/BAT0/uevent"),
                         "POWER_SUPPLY_NAME=BAT0\nPOWER_SUPPLY_CAPACITY=79\nPOWER_SUPPLY_SERIAL_NUMBER=  4711\n");
    ASSERT_EQ(node.call("set_charge_limit", {{"limit", 85}})["status"].toString(), "ok");
    ASSERT_EQ(node.call("set_cloud_alert_settings",
                        {{"enabled", true},
                         {"user_id", "desk-laptop"},
                         {"webhook_url", "https://hooks.example/secret-token"},
                         {"interval_seconds", 300}})["status"]
                  .toString(),
              "ok");

    const auto preview = node.call("get_diagnostic_package_preview",
                                   {{"include_process_names", false}, {"include_report_context", true}});
    const auto reply = node.call("export_diagnostic_bundle", test::conformanceExportRequest());
    ASSERT_EQ(reply["status"].toString(), "ok") << reply["message"].toString().toStdString();
    const QString path = reply["path"].toString();
    EXPECT_TRUE(path.startsWith(node.dir.file(QStringLiteral("var/lib/vantrel/diagnostics/vantrel-diagnostics-"))))
        << path.toStdString();
    EXPECT_EQ(reply["manifest"].toString(), "manifest.json");
    EXPECT_EQ(reply["process_summary_mode"].toString(), "excluded");
    EXPECT_FALSE(reply["automatic_cloud_flush"].toBool());

    // The folder holds what the preview promised and the manifest lists.
    QStringList promised;
    for (const auto& f : preview["included_files"].toArray())
        promised << f.toString();
    const auto manifest = json::parseObject(readFile(path + "/manifest.json").value_or(""));
    ASSERT_TRUE(manifest);
    QStringList listed;
    for (const auto& f : manifest->value("files").toArray())
        listed << f.toString();
    EXPECT_EQ(listed, promised);
    QStringList written = QDir(path).entryList(QDir::Files);
    written.sort();
    promised.sort();
    EXPECT_EQ(written, promised);
    EXPECT_EQ(manifest->value("support_case_id").toString(), "CASE-1234");

    // The facts are this tree's.
    const auto summary = json::parseObject(readFile(path + "/system_summary.json").value_or(""));
    ASSERT_TRUE(summary);
    EXPECT_EQ(summary->value("model_identifier").toString(), "LENOVO 21CB");
    EXPECT_EQ(summary->value("battery").toObject().value("percent").toInt(), 79);
    const auto policy = json::parseObject(readFile(path + "/policy_snapshot.json").value_or(""));
    ASSERT_TRUE(policy);
    EXPECT_EQ(policy->value("target_charge_limit").toInt(), 85);
    const QString supplies = text(path + "/power_supplies.txt");
    EXPECT_TRUE(supplies.contains("== BAT0 ==\nPOWER_SUPPLY_NAME=BAT0\nPOWER_SUPPLY_CAPACITY=79\n"))
        << supplies.toStdString();
    EXPECT_TRUE(supplies.contains("== AC ==\n(no uevent file)\n"));
    EXPECT_FALSE(supplies.contains("SERIAL")) << "the battery's serial number stays out";
    const auto settings = json::parseObject(readFile(path + "/user_settings.json").value_or(""));
    ASSERT_TRUE(settings);
    EXPECT_EQ(settings->value("settings").toObject().value("battery").toObject().value("target_limit").toInt(), 85);
    bool limitEvent = false;
    for (const auto& e : jsonl::read(path + "/events.jsonl"))
        limitEvent = limitEvent || e.value("policy_id").toString() == "battery.charge_limit";
    EXPECT_TRUE(limitEvent);
    for (const QString& f : written) {
        const QString content = text(path + "/" + f);
        EXPECT_FALSE(content.contains("secret-token")) << "no webhook address in " << f.toStdString();
        EXPECT_FALSE(content.contains("desk-laptop")) << "no alert user id in " << f.toStdString();
    }

    // Process names only on request.
    QJsonObject withNames = test::conformanceExportRequest();
    withNames["include_process_names"] = true;
    const auto named = node.call("export_diagnostic_bundle", withNames);
    EXPECT_EQ(named["process_summary_mode"].toString(), "names_only");
    EXPECT_TRUE(QFileInfo::exists(named["path"].toString() + "/process_summary.json"));
    EXPECT_FALSE(QFileInfo::exists(path + "/process_summary.json"));
}

TEST(NodeDiagnostics, AnExportThatCannotBeWrittenIsAnErrorNotACrash)
{
    FakeNode node;
    // A file where the diagnostics folder belongs.
    node.dir.write(QStringLiteral("var/lib/vantrel/diagnostics"), "not a folder");
    const auto failed = node.call("export_diagnostic_bundle", test::conformanceExportRequest());
    EXPECT_EQ(failed["status"].toString(), "error");
    EXPECT_EQ(failed["code"].toString(), "ERR_DIAGNOSTIC_EXPORT_FAILED");
    EXPECT_TRUE(failed["message"].toString().startsWith("Diagnostic export failed: "));
}
