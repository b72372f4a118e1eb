// vantrelctl against a running vantrel-sim: every command changes what the simulator reports,
// --json keeps its keys, and every exit code has its cause.
#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>

#include <gtest/gtest.h>

#include "SimProcess.h"
#include "base/Clock.h"
#include "base/Paths.h"
#include "base/Preferences.h"
#include "fan/FanPresetStore.h"
#include "support/ScriptedSocketPeer.h"

using namespace vantrel;

namespace {

struct CtlRun {
    int exitCode = -1;
    QByteArray out;
    QString err;

    QJsonObject json() const { return QJsonDocument::fromJson(out).object(); }
};

class VantrelctlSim : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(sim_.start()); }

    CtlRun ctl(const QStringList& args) const
    {
        QProcess process;
        process.setProcessEnvironment(sim_.environment());
        process.start(test::builtBinary("vantrelctl"), args);
        if (!process.waitForFinished(20000))
            return {};
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2, process.readAllStandardOutput(),
                QString::fromUtf8(process.readAllStandardError())};
    }

    QJsonObject state() const
    {
        QByteArray out;
        EXPECT_EQ(sim_.ctl({"state"}, &out), 0);
        return QJsonDocument::fromJson(out).object();
    }
    QJsonObject policy() const { return state()["power_policy"].toObject(); }

    // The application's own files, where vantrelctl looks for presets and preferences.
    Paths appPaths() const { return Paths(dir_.path(), dir_.file("home"), {}, {}); }

    test::TempDir dir_;
    test::SimProcess sim_{dir_};
};

TEST_F(VantrelctlSim, FanCommandsChangeTheSimulatedFans)
{
    // A custom preset saved by the application's store, and the smart-app switch it sends along.
    {
        SettingsFilePreferences prefs(appPaths().preferencesFile());
        prefs.setValue("smartAppPresetEnabled", true);
        prefs.sync();
        FanCurveSettings quiet;
        quiet.name = "Night";
        quiet.points = {CurvePoint::make(0, 0), CurvePoint::make(55, 10), CurvePoint::make(70, 30),
                        CurvePoint::make(85, 60), CurvePoint::make(100, 100)};
        const SystemClock clock;
        FanPresetStore(appPaths(), prefs, clock).save({quiet});
    }

    CtlRun run = ctl({"fan", "preset", "silent"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(policy()["fan_preset_name"].toString(), "curve_silent");
    EXPECT_EQ(state()["fans"].toArray()[0].toObject()["mode"].toString(), "manual");
    EXPECT_TRUE(run.out.startsWith("Fans: curve \"curve_silent\""));

    run = ctl({"--json", "fan", "preset", "Night"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(policy()["fan_preset_name"].toString(), "Night");
    const QJsonObject request = run.json()["request"].toObject();
    EXPECT_EQ(request["smart_app_preset"], QJsonValue(true));
    EXPECT_EQ(request["left_points"], request["right_points"]);
    EXPECT_EQ(request["left_points"].toArray()[2].toObject(), (QJsonObject{{"temp", 70}, {"fan", 30}}));

    // The three points come back in the editor's five-point shape.
    run = ctl({"--json", "fan", "curve", "40:20,60:50,80:90"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(policy()["fan_preset_name"].toString(), "Live Curve");
    const QJsonArray points = run.json()["request"].toObject()["left_points"].toArray();
    ASSERT_EQ(points.size(), 5);
    EXPECT_EQ(points[0].toObject(), (QJsonObject{{"temp", 0}, {"fan", 0}}));
    EXPECT_EQ(points[1].toObject(), (QJsonObject{{"temp", 40}, {"fan", 20}}));
    EXPECT_EQ(points[3].toObject(), (QJsonObject{{"temp", 80}, {"fan", 90}}));
    EXPECT_EQ(points[4].toObject(), (QJsonObject{{"temp", 100}, {"fan", 100}}));

    run = ctl({"fan", "auto"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(policy()["fan_preset_name"].toString(), "macos_default");
    for (const auto fan : state()["fans"].toArray())
        EXPECT_EQ(fan.toObject()["mode"].toString(), "auto");

    // An unknown preset is a usage error, and the fans stay as they are.
    run = ctl({"fan", "preset", "Nope"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.err.contains("Night")) << "the message names the presets there are";
    EXPECT_EQ(policy()["fan_preset_name"].toString(), "macos_default");
}

TEST_F(VantrelctlSim, BatteryAndSleepCommandsChangeTheSimulatedPolicy)
{
    CtlRun run = ctl({"battery", "limit", "70"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(policy()["target_charge_limit"].toInt(), 70);
    EXPECT_EQ(policy()["charge_limit_enabled"], QJsonValue(true));

    // Only the named value changes; the rest of the policy in force is sent back as it was.
    run = ctl({"battery", "heat", "on", "--max-temp", "42"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(policy()["heat_protection_enabled"], QJsonValue(true));
    EXPECT_DOUBLE_EQ(policy()["max_battery_temp"].toDouble(), 42.0);
    EXPECT_EQ(policy()["target_charge_limit"].toInt(), 70);

    const bool protector = policy()["charge_protector_enabled"].toBool();
    run = ctl({"battery", "protector", protector ? "off" : "on"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(policy()["charge_protector_enabled"], QJsonValue(!protector));
    EXPECT_DOUBLE_EQ(policy()["max_battery_temp"].toDouble(), 42.0);

    // Like the power screen, a limit goes to the nearest ten.
    run = ctl({"--json", "battery", "limit", "76"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.json()["charge_limit"].toInt(), 80);
    EXPECT_EQ(policy()["target_charge_limit"].toInt(), 80);

    run = ctl({"battery", "limit", "off"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(policy()["charge_limit_enabled"], QJsonValue(false));
    EXPECT_TRUE(run.out.startsWith("Charge limit: off\n"));

    run = ctl({"sleep", "prevent", "on", "--cutoff", "40"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(policy()["system_sleep_disabled_by_vantrel"], QJsonValue(true));
    EXPECT_EQ(policy()["sleep_battery_cutoff_percent"].toInt(), 40);

    run = ctl({"sleep", "prevent", "off"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(policy()["system_sleep_disabled_by_vantrel"], QJsonValue(false));

    // Without --cutoff the application's own cut-off is sent.
    {
        SettingsFilePreferences prefs(appPaths().preferencesFile());
        prefs.setValue("sleepBatteryCutoffPercent", 60);
        prefs.sync();
    }
    run = ctl({"--json", "sleep", "prevent", "on"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.json()["request"].toObject()["battery_cutoff_percent"].toInt(), 60);
    EXPECT_EQ(run.json()["request"].toObject()["persist_user_intent"], QJsonValue(true));
    EXPECT_EQ(policy()["sleep_battery_cutoff_percent"].toInt(), 60);
}

TEST_F(VantrelctlSim, JsonKeepsItsKeysAndEveryExitCodeHasItsCause)
{
    const QStringList common{"command", "ok", "exit_code", "code", "error", "request", "reply"};
    const std::vector<std::pair<QStringList, QStringList>> commands{
        {{"status"}, {"daemon_status", "cpu_temp", "fan0", "fan1", "battery_percent"}},
        {{"sensors"}, {"smc_tool", "sensors", "fan0_rpm", "fan1_rpm"}},
        {{"fan", "preset", "balanced"}, {"mode", "preset_name", "points"}},
        {{"battery", "protector", "on"},
         {"charge_limit_enabled", "charge_limit", "charge_protector", "heat_protection", "max_temp"}},
        {{"sleep", "prevent", "off"},
         {"requested_enabled", "effective_enabled", "low_battery_vanilla_active", "battery_cutoff_percent"}},
    };
    for (const auto& [args, keys] : commands) {
        const CtlRun run = ctl(QStringList{"--json"} + args);
        EXPECT_EQ(run.exitCode, 0) << args.join(' ').toStdString() << run.err.toStdString();
        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(run.out, &error);
        ASSERT_EQ(error.error, QJsonParseError::NoError) << run.out.toStdString();
        const QJsonObject o = doc.object();
        for (const QString& key : common + keys)
            EXPECT_TRUE(o.contains(key)) << args.join(' ').toStdString() << " lacks " << key.toStdString();
        EXPECT_EQ(o["ok"], QJsonValue(true));
        EXPECT_TRUE(run.err.isEmpty()) << "no exchange log without --verbose: " << run.err.toStdString();
    }
    const QJsonArray sensors = ctl({"--json", "sensors"}).json()["sensors"].toArray();
    ASSERT_GT(sensors.size(), 10);
    for (const auto s : sensors)
        EXPECT_TRUE(s.toObject()["celsius"].isDouble()) << s.toObject()["label"].toString().toStdString();

    // --verbose puts the exchange on standard error; standard output is the same.
    CtlRun quiet = ctl({"battery", "limit", "90"});
    CtlRun verbose = ctl({"--verbose", "battery", "limit", "90"});
    EXPECT_EQ(quiet.out, verbose.out);
    EXPECT_TRUE(verbose.err.contains("Vantrel UI -> daemon: {\"charge_protector\""));
    EXPECT_TRUE(verbose.err.contains("Vantrel daemon -> UI: "));

    // 1: the daemon refuses, and its code is printed.
    CtlRun run = ctl({"update", "status"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("ERR_NO_UPDATE_TRANSACTION"));

    // Once an installation has started, its state and transaction are reported.
    const QByteArray package = "xar!....<pkg-info identifier=\"com.morrowlightco.Vantrel\">"
                               "<bundle CFBundleShortVersionString=\"1.4.0\" CFBundleVersion=\"140\"/></pkg-info>";
    const QJsonObject started = sim_.call(
        "install_update_package",
        {{"pkg_path", dir_.write("Vantrel.pkg", package)},
         {"expected_sha256", QString(QCryptographicHash::hash(package, QCryptographicHash::Sha256).toHex())},
         {"expected_version", "1.4.0"},
         {"expected_bundle_version", "140"},
         {"user_confirmed", true}});
    ASSERT_EQ(started["status"].toString(), "ok") << QJsonDocument(started).toJson().toStdString();
    run = ctl({"--json", "update", "status"});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.json()["state"].toString(), "preparing");
    EXPECT_EQ(run.json()["transaction_id"].toString(), started["transaction_id"].toString());
    EXPECT_EQ(run.json()["source"].toString(), "daemon");
    ASSERT_EQ(sim_.ctl({"fault", "command=set_battery_config", "mode=status", "status=busy", "execute=false"}), 0);
    run = ctl({"--json", "battery", "limit", "60"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.json()["code"].toString(), "ERR_INJECTED_FAULT");
    EXPECT_TRUE(run.err.contains("ERR_INJECTED_FAULT"));
    EXPECT_EQ(run.json()["ok"], QJsonValue(false));
    EXPECT_EQ(policy()["target_charge_limit"].toInt(), 90);

    // 3: the daemon hangs up without a reply, or there is none.
    ASSERT_EQ(sim_.ctl({"fault", "command=set_fan_config", "mode=close", "execute=false"}), 0);
    run = ctl({"--json", "fan", "auto"});
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_TRUE(run.json()["reply"].isNull());
    run = ctl({"--socket", dir_.file("none.sock"), "status"});
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_TRUE(run.err.contains("no reply from the daemon"));
}

TEST_F(VantrelctlSim, BadArgumentsAreUsageErrorsThatSendNothing)
{
    test::ScriptedSocketPeer peer(dir_.file("peer.sock"));
    peer.answerAlways(test::ScriptedSocketPeer::reply(QByteArray(R"({"status":"ok"})")));
    const std::vector<QStringList> bad{
        {"fan", "curve", "40-20,60:50,80:90"},
        {"fan", "curve", "40:20,60:50"},
        {"fan", "curve", "40:20,60:150,80:90"},
        {"fan", "curve", "10:5,40:20,60:50,80:90"},
        {"battery", "limit", "101"},
        {"battery", "limit", "49"},
        {"battery", "limit", "high"},
        {"battery", "protector", "maybe"},
        {"battery", "heat", "on", "--max-temp", "90"},
        {"battery", "protector", "on", "--max-temp", "40"},
        {"sleep", "prevent", "on", "--cutoff", "5"},
        {"fan"},
        {"frobnicate"},
        {"raw", "{cmd: nope"},
        {"raw", R"({"limit":80})"},
        {"--bogus", "status"},
    };
    for (const QStringList& args : bad) {
        const CtlRun run = ctl(QStringList{"--socket", peer.path()} + args);
        EXPECT_EQ(run.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains("Usage: vantrelctl")) << args.join(' ').toStdString();
        EXPECT_TRUE(run.out.isEmpty());
        const CtlRun json = ctl(QStringList{"--json", "--socket", peer.path()} + args);
        EXPECT_EQ(json.exitCode, 2);
        EXPECT_EQ(json.json()["exit_code"].toInt(), 2) << json.out.toStdString();
        EXPECT_FALSE(json.json()["error"].toString().isEmpty());
    }
    EXPECT_EQ(peer.connectionCount(), 0);
}

} // namespace
