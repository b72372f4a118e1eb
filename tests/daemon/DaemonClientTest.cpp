#include "daemon/DaemonClient.h"

#include <functional>

#include <QJsonArray>
#include <QJsonDocument>

#include <gtest/gtest.h>

#include "support/FakeDaemonTransport.h"

namespace vantrel {
namespace {

using test::FakeDaemonTransport;

QJsonObject ok(QJsonObject extra = {})
{
    extra.insert(QStringLiteral("status"), QStringLiteral("ok"));
    return extra;
}

class DaemonClientTest : public ::testing::Test {
protected:
    std::shared_ptr<FakeDaemonTransport> daemon_ = std::make_shared<FakeDaemonTransport>();
    DaemonClient client_{daemon_, QStringLiteral("/nonexistent/status.json")};

    QJsonObject lastRequest() const { return daemon_->requests().back(); }
};

TEST_F(DaemonClientTest, EveryOperationSendsItsCommandWithExactlyItsKeys)
{
    daemon_->setFallback([](const QJsonObject&) { return ok(); });
    DiagnosticExportRequest exportRequest;
    exportRequest.range = QStringLiteral("24h");
    exportRequest.purpose = QStringLiteral("support");
    exportRequest.userConfirmed = true;
    exportRequest.reasonCode = QStringLiteral("fan_noise");

    struct Case {
        std::function<void()> call;
        QJsonObject expected;
    };
    const std::vector<Case> cases = {
        {[&] { client_.getStatus(); }, {{"cmd", "get_status"}}},
        {[&] { client_.setFanMode(1, QStringLiteral("manual")); }, {{"cmd", "set_fan_mode"}, {"index", 1}, {"mode", "manual"}}},
        {[&] { client_.setFanRPM(0, 2400); }, {{"cmd", "set_fan_rpm"}, {"index", 0}, {"rpm", 2400}}},
        {[&] { client_.setChargeLimit(80); }, {{"cmd", "set_charge_limit"}, {"limit", 80}}},
        {[&] { client_.sendAppHeartbeat(); }, {{"cmd", "app_heartbeat"}}},
        {[&] { client_.releaseDebugRuntime(); }, {{"cmd", "release_debug_runtime"}}},
        {[&] { client_.getRuntimeOwnership(); }, {{"cmd", "get_runtime_ownership"}}},
        {[&] { client_.getUserSettingsState(); }, {{"cmd", "get_user_settings_state"}}},
        {[&] { client_.reloadUserSettings(); }, {{"cmd", "reload_user_settings"}}},
        {[&] { client_.resetToVanilla(); }, {{"cmd", "reset_to_vanilla"}}},
        {[&] { client_.getSystemSnapshot(); }, {{"cmd", "get_system_snapshot"}}},
        {[&] { client_.getHardwareProfile(); }, {{"cmd", "get_hardware_profile"}}},
        {[&] { client_.getPowerPolicyState(); }, {{"cmd", "get_power_policy_state"}}},
        {[&] { client_.verifyUpdatePackage("/tmp/a.pkg", "abc", "1.2.0", "120"); },
         {{"cmd", "verify_update_package"}, {"pkg_path", "/tmp/a.pkg"}, {"expected_sha256", "abc"},
          {"expected_version", "1.2.0"}, {"expected_bundle_version", "120"}}},
        {[&] { client_.installUserInitiatedUpdatePackage("/tmp/a.pkg", "abc", "1.2.0", "120"); },
         {{"cmd", "install_update_package"}, {"pkg_path", "/tmp/a.pkg"}, {"expected_sha256", "abc"},
          {"expected_version", "1.2.0"}, {"expected_bundle_version", "120"}, {"user_confirmed", true}}},
        {[&] { client_.getUpdateInstallationState(); }, {{"cmd", "get_update_installation_state"}}},
        {[&] { client_.acknowledgeUpdateAppRelaunch("tx-1"); }, {{"cmd", "ack_update_app_relaunch"}, {"transaction_id", "tx-1"}}},
        {[&] { client_.getEvidenceEvents(50); }, {{"cmd", "get_evidence_events"}, {"limit", 50}}},
        {[&] { client_.getEvidenceEvents(50, "only_power"); },
         {{"cmd", "get_evidence_events"}, {"limit", 50}, {"policy_prefix", "only_power"}}},
        {[&] { client_.getDiagnosticEvents(20); }, {{"cmd", "get_diagnostic_events"}, {"limit", 20}}},
        {[&] { client_.requestOneTimeFullCharge(std::nullopt); }, {{"cmd", "request_one_time_full_charge"}}},
        {[&] { client_.requestOneTimeFullCharge(80); }, {{"cmd", "request_one_time_full_charge"}, {"restore_limit", 80}}},
        {[&] { client_.clearCloudAlertSettings(); }, {{"cmd", "clear_cloud_alert_settings"}}},
        {[&] { client_.setSmartTargetConfig(false, 70, 5); }, {{"cmd", "set_smart_target_config"}, {"targets", QJsonObject()}}},
        {[&] { client_.setSmartTargetConfig(true, 70, 5); },
         {{"cmd", "set_smart_target_config"}, {"targets", QJsonObject{{"CPU", 70.0}, {"GPU", 70.0}, {"VRAM", 70.0}, {"Memory", 65.0}}}}},
        {[&] { client_.setSmartTargetConfig(true, 3, 10); },
         {{"cmd", "set_smart_target_config"}, {"targets", QJsonObject{{"CPU", 3.0}, {"GPU", 3.0}, {"VRAM", 3.0}, {"Memory", 0.0}}}}},
        {[&] { client_.setSmartTargetConfig(true, 130, 5); },
         {{"cmd", "set_smart_target_config"}, {"targets", QJsonObject{{"CPU", 130.0}, {"GPU", 130.0}, {"VRAM", 130.0}, {"Memory", 120.0}}}}},
        {[&] { client_.setSurvivalThrottling(true, 95, 0.5); },
         {{"cmd", "set_survival_throttling"}, {"enabled", true}, {"threshold", 95.0}, {"cooldown_target", 90.0}}},
        {[&] { client_.setSurvivalThrottling(true, 95, 0.05); },
         {{"cmd", "set_survival_throttling"}, {"enabled", true}, {"threshold", 95.0}, {"cooldown_target", 94.0}}},
        {[&] { client_.setSurvivalThrottling(false, 62, 0.5); },
         {{"cmd", "set_survival_throttling"}, {"enabled", false}, {"threshold", 62.0}, {"cooldown_target", 60.0}}},
        {[&] { client_.setSystemSleepDisabledResult(true, 30, true); },
         {{"cmd", "set_system_sleep_disabled"}, {"enabled", true}, {"battery_cutoff_percent", 30}, {"persist_user_intent", true}}},
        {[&] { client_.setSystemSleepDisabledResult(false, std::nullopt, false); },
         {{"cmd", "set_system_sleep_disabled"}, {"enabled", false}, {"persist_user_intent", false}}},
        {[&] { client_.getDiagnosticPackagePreview(true, false); },
         {{"cmd", "get_diagnostic_package_preview"}, {"include_process_names", true}, {"include_report_context", false}}},
        {[&] { client_.exportDiagnosticBundle(exportRequest); },
         {{"cmd", "export_diagnostic_bundle"}, {"range", "24h"}, {"purpose", "support"}, {"include_report_context", false},
          {"include_process_names", false}, {"user_confirmed", true}, {"user_review_required", true},
          {"upload_mode", "manual_user_send"}, {"reason_code", "fan_noise"}}},
        {[&] {
             auto withCase = exportRequest;
             withCase.supportCaseId = QStringLiteral("CASE-9");
             client_.exportDiagnosticBundle(withCase);
         },
         {{"cmd", "export_diagnostic_bundle"}, {"range", "24h"}, {"purpose", "support"}, {"include_report_context", false},
          {"include_process_names", false}, {"user_confirmed", true}, {"user_review_required", true},
          {"upload_mode", "manual_user_send"}, {"reason_code", "fan_noise"}, {"support_case_id", "CASE-9"}}},
    };
    for (const auto& c : cases) {
        daemon_->clearRequests();
        c.call();
        ASSERT_EQ(daemon_->requests().size(), 1u) << c.expected.value("cmd").toString().toStdString();
        EXPECT_EQ(lastRequest(), c.expected) << QJsonDocument(lastRequest()).toJson().toStdString();
    }
}

TEST_F(DaemonClientTest, OnlyTheExactStatusOkCountsAsSuccess)
{
    const QJsonObject snapshot = ok({{QStringLiteral("cpu"), QJsonObject{{QStringLiteral("user_percent"), 12.5}}}});
    daemon_->reply(QStringLiteral("set_charge_limit"), ok());
    daemon_->reply(QStringLiteral("get_system_snapshot"), snapshot);
    EXPECT_TRUE(client_.setChargeLimit(80));
    EXPECT_EQ(client_.getSystemSnapshot(), snapshot);

    const std::vector<std::optional<QJsonObject>> failures = {
        std::nullopt,
        QJsonObject{{QStringLiteral("status"), QStringLiteral("OK")}},
        QJsonObject{{QStringLiteral("status"), QStringLiteral("error")}},
        QJsonObject{{QStringLiteral("status"), 1}},
        QJsonObject{{QStringLiteral("result"), QStringLiteral("ok")}},
    };
    for (const auto& reply : failures) {
        daemon_->reply(QStringLiteral("set_charge_limit"), reply);
        daemon_->reply(QStringLiteral("get_system_snapshot"), reply);
        EXPECT_FALSE(client_.setChargeLimit(80));
        EXPECT_FALSE(client_.getSystemSnapshot());
    }
}

TEST_F(DaemonClientTest, StatusIsARecordWheneverAnyReplyArrived)
{
    EXPECT_FALSE(client_.getStatus());
    daemon_->reply(QStringLiteral("get_status"), QJsonObject());
    EXPECT_EQ(client_.getStatus(), DaemonStatus{});
    daemon_->reply(QStringLiteral("get_status"), ok({{QStringLiteral("cpu_temp"), 48.25}}));
    EXPECT_EQ(client_.getStatus(), (DaemonStatus{"ok", 48.25, {}, {}, {}}));
}

TEST_F(DaemonClientTest, SleepReplyMapsToAnApplyResult)
{
    const auto sleep = [&](std::optional<QJsonObject> reply) {
        daemon_->reply(QStringLiteral("set_system_sleep_disabled"), reply);
        return client_.setSystemSleepDisabledResult(true, 30, true);
    };
    const SleepRuntimeApplyResult invalid = SleepRuntimeApplyResult::invalid();
    EXPECT_FALSE(invalid.succeeded);
    EXPECT_FALSE(invalid.stateAuthoritative);
    EXPECT_FALSE(invalid.requestedEnabled || invalid.effectiveEnabled || invalid.lowBatteryVanillaActive);
    EXPECT_EQ(invalid.code, QStringLiteral("ERR_INVALID_SLEEP_APPLY_RESPONSE"));

    EXPECT_EQ(sleep(std::nullopt), invalid);
    EXPECT_EQ(sleep(QJsonObject{{"status", "ok"}, {"effective_enabled", true}}), invalid);
    EXPECT_EQ(sleep(QJsonObject{{"status", "ok"}, {"requested_enabled", 1}, {"effective_enabled", true}}), invalid);
    EXPECT_EQ(sleep(QJsonObject{{"status", 0}, {"requested_enabled", true}, {"effective_enabled", true}}), invalid);

    SleepRuntimeApplyResult applied
        = sleep(QJsonObject{{"status", "ok"}, {"requested_enabled", true}, {"effective_enabled", true}});
    EXPECT_TRUE(applied.succeeded);
    EXPECT_TRUE(applied.stateAuthoritative);
    EXPECT_TRUE(applied.requestedEnabled && applied.effectiveEnabled);
    EXPECT_FALSE(applied.lowBatteryVanillaActive);
    EXPECT_FALSE(applied.code);

    // Refused, but well formed: the state the daemon holds is still authoritative.
    SleepRuntimeApplyResult refused = sleep(QJsonObject{{"status", "error"},
                                                        {"requested_enabled", true},
                                                        {"effective_enabled", false},
                                                        {"low_battery_vanilla_active", true},
                                                        {"code", "ERR_LOW_BATTERY"}});
    EXPECT_FALSE(refused.succeeded);
    EXPECT_TRUE(refused.stateAuthoritative);
    EXPECT_TRUE(refused.requestedEnabled);
    EXPECT_FALSE(refused.effectiveEnabled);
    EXPECT_TRUE(refused.lowBatteryVanillaActive);
    EXPECT_EQ(refused.code, QStringLiteral("ERR_LOW_BATTERY"));

    // Optional keys of another type read as absent.
    SleepRuntimeApplyResult loose = sleep(QJsonObject{{"status", "OK"},
                                                      {"requested_enabled", false},
                                                      {"effective_enabled", false},
                                                      {"low_battery_vanilla_active", "yes"},
                                                      {"code", 3}});
    EXPECT_FALSE(loose.succeeded);
    EXPECT_TRUE(loose.stateAuthoritative);
    EXPECT_FALSE(loose.lowBatteryVanillaActive);
    EXPECT_FALSE(loose.code);
}

TEST_F(DaemonClientTest, DiagnosticRepliesGivePreviewExportOrTheirError)
{
    using Kind = DiagnosticSupportError::Kind;
    const auto previewError = [&](std::optional<QJsonObject> reply) {
        daemon_->reply(QStringLiteral("get_diagnostic_package_preview"), reply);
        const auto result = client_.getDiagnosticPackagePreview(false, false);
        return std::holds_alternative<DiagnosticSupportError>(result)
            ? std::get<DiagnosticSupportError>(result)
            : DiagnosticSupportError{Kind::Unavailable, "not an error"};
    };
    EXPECT_EQ(previewError(std::nullopt).kind, Kind::Unavailable);
    EXPECT_EQ(previewError(QJsonObject{{"status", "error"}}).kind, Kind::Unavailable);
    EXPECT_EQ(previewError(QJsonObject{{"status", "error"}, {"code", "ERR_NEW_THING"}}).kind, Kind::Unavailable);
    EXPECT_EQ(previewError(QJsonObject{{"status", "error"}, {"code", "ERR_USER_CONFIRMATION_REQUIRED"}}).kind,
              Kind::UserConfirmationRequired);
    EXPECT_EQ(previewError(QJsonObject{{"status", "error"}, {"code", "ERR_USER_REVIEW_REQUIRED"}}).kind,
              Kind::UserReviewRequired);
    EXPECT_EQ(previewError(QJsonObject{{"status", "error"}, {"code", "ERR_UPLOAD_MODE_NOT_ALLOWED"}}).kind,
              Kind::UploadModeNotAllowed);
    EXPECT_EQ(previewError(QJsonObject{{"status", "error"}, {"code", "ERR_REDACTION_FAILED"}}).kind,
              Kind::RedactionFailed);
    EXPECT_EQ(previewError(
                  QJsonObject{{"status", "error"}, {"code", "ERR_DIAGNOSTIC_EXPORT_FAILED"}, {"message", "disk full"}}),
              (DiagnosticSupportError{Kind::ExportFailed, "disk full"}));
    EXPECT_EQ(previewError(QJsonObject{{"status", "error"}, {"code", "ERR_DIAGNOSTIC_EXPORT_FAILED"}}),
              (DiagnosticSupportError{Kind::ExportFailed, "Diagnostic export failed."}));

    // An "ok" preview with nothing usable takes every default.
    daemon_->reply(QStringLiteral("get_diagnostic_package_preview"),
                   ok({{"included_files", QJsonArray{"a.json", 3}}, {"user_review_required", 0}}));
    auto preview = client_.getDiagnosticPackagePreview(false, false);
    ASSERT_TRUE(std::holds_alternative<DiagnosticPackagePreview>(preview));
    const auto defaults = std::get<DiagnosticPackagePreview>(preview);
    EXPECT_EQ(defaults.includedFiles.size(), 8);
    EXPECT_EQ(defaults.includedFiles.first(), QStringLiteral("manifest.json"));
    EXPECT_EQ(defaults.excludedData.last(), QStringLiteral("process_names_by_default"));
    EXPECT_EQ(defaults.uploadMode, QStringLiteral("manual_user_send"));
    EXPECT_EQ(defaults.processSummaryMode, QStringLiteral("excluded"));
    EXPECT_TRUE(defaults.userConfirmedRequired && defaults.userReviewRequired);
    EXPECT_FALSE(defaults.automaticCloudFlush || defaults.includeProcessNamesDefault);

    daemon_->reply(QStringLiteral("get_diagnostic_package_preview"),
                   ok({{"included_files", QJsonArray{"manifest.json"}},
                       {"excluded_data", QJsonArray()},
                       {"upload_mode", "auto"},
                       {"automatic_cloud_flush", true},
                       {"user_confirmed_required", false},
                       {"include_process_names_default", true},
                       {"process_summary_mode", "top10"}}));
    const auto given = std::get<DiagnosticPackagePreview>(client_.getDiagnosticPackagePreview(true, true));
    EXPECT_EQ(given.includedFiles, QStringList{QStringLiteral("manifest.json")});
    EXPECT_TRUE(given.excludedData.isEmpty());
    EXPECT_EQ(given.uploadMode, QStringLiteral("auto"));
    EXPECT_TRUE(given.automaticCloudFlush && given.includeProcessNamesDefault);
    EXPECT_FALSE(given.userConfirmedRequired);
    EXPECT_EQ(given.processSummaryMode, QStringLiteral("top10"));

    // An export must name its path; the rest has defaults.
    daemon_->reply(QStringLiteral("export_diagnostic_bundle"), ok({{"manifest", "m.json"}}));
    auto exported = client_.exportDiagnosticBundle({});
    ASSERT_TRUE(std::holds_alternative<DiagnosticSupportError>(exported));
    EXPECT_EQ(std::get<DiagnosticSupportError>(exported).kind, Kind::Unavailable);
    daemon_->reply(QStringLiteral("export_diagnostic_bundle"), ok({{"path", "/tmp/diag.zip"}}));
    exported = client_.exportDiagnosticBundle({});
    ASSERT_TRUE(std::holds_alternative<DiagnosticExportResult>(exported));
    EXPECT_EQ(std::get<DiagnosticExportResult>(exported),
              (DiagnosticExportResult{"/tmp/diag.zip", "manifest.json", "manual_user_send", false, "excluded", false}));
    daemon_->reply(QStringLiteral("export_diagnostic_bundle"),
                   QJsonObject{{"status", "error"}, {"code", "ERR_USER_REVIEW_REQUIRED"}});
    exported = client_.exportDiagnosticBundle({});
    EXPECT_EQ(std::get<DiagnosticSupportError>(exported).kind, Kind::UserReviewRequired);
}

TEST_F(DaemonClientTest, UpdateStateFallsBackToTheDurableFileOnlyWithoutAnOkReply)
{
    int fileReads = 0;
    const QJsonObject durable = ok({{"state", "installing"}, {"source", "durable_local_update_status"}});
    client_.setUpdateStatusReader([&]() -> std::optional<QJsonObject> {
        ++fileReads;
        return durable;
    });

    const QJsonObject live = ok({{"state", "completed"}});
    daemon_->reply(QStringLiteral("get_update_installation_state"), live);
    EXPECT_EQ(client_.getUpdateInstallationState(), live);
    EXPECT_EQ(fileReads, 0);

    daemon_->reply(QStringLiteral("get_update_installation_state"), QJsonObject{{"status", "busy"}});
    EXPECT_EQ(client_.getUpdateInstallationState(), durable);
    daemon_->reply(QStringLiteral("get_update_installation_state"), std::nullopt);
    EXPECT_EQ(client_.getUpdateInstallationState(), durable);
    EXPECT_EQ(fileReads, 2);

    // The default reader looks at the configured path; a missing file gives nothing.
    DaemonClient plain(daemon_, QStringLiteral("/nonexistent/status.json"));
    EXPECT_FALSE(plain.getUpdateInstallationState());
}

} // namespace
} // namespace vantrel
