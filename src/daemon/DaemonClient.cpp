#include "daemon/DaemonClient.h"

#include <algorithm>

#include "base/JsonAccess.h"
#include "daemon/DurableUpdateStatus.h"

namespace vantrel {
namespace {

QJsonObject command(const char* name, QJsonObject keys = {})
{
    keys.insert(QStringLiteral("cmd"), QString::fromLatin1(name));
    return keys;
}

QJsonObject updatePackageKeys(const QString& pkgPath, const QString& expectedSHA256, const QString& expectedVersion,
                              const QString& expectedBundleVersion)
{
    return QJsonObject{{QStringLiteral("pkg_path"), pkgPath},
                       {QStringLiteral("expected_sha256"), expectedSHA256},
                       {QStringLiteral("expected_version"), expectedVersion},
                       {QStringLiteral("expected_bundle_version"), expectedBundleVersion}};
}

} // namespace

const QString DaemonClient::daemonConnectionDidFail = QStringLiteral("DaemonConnectionDidFail");

DaemonClient::DaemonClient(std::shared_ptr<DaemonTransport> transport, QString updateStatusPath)
    : transport_(std::move(transport))
    , updateStatusReader_([path = std::move(updateStatusPath)] {
        return DurableUpdateStatus::readTrustedUpdateInstallationStatus(path);
    })
{ }

void DaemonClient::setUpdateStatusReader(std::function<std::optional<QJsonObject>()> reader)
{
    updateStatusReader_ = std::move(reader);
}

std::optional<QJsonObject> DaemonClient::send(const QJsonObject& request) const { return transport_->send(request); }

bool DaemonClient::sendOk(const QJsonObject& request) const
{
    const auto reply = send(request);
    return reply && json::isOkStatus(*reply);
}

std::optional<QJsonObject> DaemonClient::sendForOkObject(const QJsonObject& request) const
{
    auto reply = send(request);
    if (!reply || !json::isOkStatus(*reply))
        return std::nullopt;
    return reply;
}

std::optional<DaemonStatus> DaemonClient::getStatus() const
{
    // Any reply counts as a reachable daemon, whatever its status says.
    const auto reply = send(command("get_status"));
    if (!reply)
        return std::nullopt;
    return DaemonStatus::fromReply(*reply);
}

bool DaemonClient::setFanMode(int index, const QString& mode) const
{
    return sendOk(command("set_fan_mode", {{QStringLiteral("index"), index}, {QStringLiteral("mode"), mode}}));
}

bool DaemonClient::setFanRPM(int index, int rpm) const
{
    return sendOk(command("set_fan_rpm", {{QStringLiteral("index"), index}, {QStringLiteral("rpm"), rpm}}));
}

bool DaemonClient::setChargeLimit(int limit) const
{
    return sendOk(command("set_charge_limit", {{QStringLiteral("limit"), limit}}));
}

bool DaemonClient::sendAppHeartbeat() const { return sendOk(command("app_heartbeat")); }
bool DaemonClient::releaseDebugRuntime() const { return sendOk(command("release_debug_runtime")); }
std::optional<QJsonObject> DaemonClient::getRuntimeOwnership() const
{
    return sendForOkObject(command("get_runtime_ownership"));
}
std::optional<QJsonObject> DaemonClient::getUserSettingsState() const
{
    return sendForOkObject(command("get_user_settings_state"));
}
bool DaemonClient::reloadUserSettings() const { return sendOk(command("reload_user_settings")); }
std::optional<QJsonObject> DaemonClient::reloadUserSettingsReply() const
{
    return send(command("reload_user_settings"));
}
bool DaemonClient::resetToVanilla() const { return sendOk(command("reset_to_vanilla")); }
std::optional<QJsonObject> DaemonClient::getSystemSnapshot() const
{
    return sendForOkObject(command("get_system_snapshot"));
}
std::optional<QJsonObject> DaemonClient::getHardwareProfile() const
{
    return sendForOkObject(command("get_hardware_profile"));
}
std::optional<QJsonObject> DaemonClient::getPowerPolicyState() const
{
    return sendForOkObject(command("get_power_policy_state"));
}

std::optional<QJsonObject> DaemonClient::verifyUpdatePackage(const QString& pkgPath, const QString& expectedSHA256,
                                                             const QString& expectedVersion,
                                                             const QString& expectedBundleVersion) const
{
    return send(command("verify_update_package",
                        updatePackageKeys(pkgPath, expectedSHA256, expectedVersion, expectedBundleVersion)));
}

std::optional<QJsonObject> DaemonClient::installUserInitiatedUpdatePackage(const QString& pkgPath,
                                                                           const QString& expectedSHA256,
                                                                           const QString& expectedVersion,
                                                                           const QString& expectedBundleVersion) const
{
    QJsonObject keys = updatePackageKeys(pkgPath, expectedSHA256, expectedVersion, expectedBundleVersion);
    keys.insert(QStringLiteral("user_confirmed"), true);
    return send(command("install_update_package", keys));
}

std::optional<QJsonObject> DaemonClient::getUpdateInstallationState() const
{
    if (auto reply = sendForOkObject(command("get_update_installation_state")))
        return reply;
    return updateStatusReader_ ? updateStatusReader_() : std::nullopt;
}

bool DaemonClient::acknowledgeUpdateAppRelaunch(const QString& transactionID) const
{
    return sendOk(command("ack_update_app_relaunch", {{QStringLiteral("transaction_id"), transactionID}}));
}

std::optional<QJsonObject> DaemonClient::getEvidenceEvents(int limit, const QString& policyPrefix) const
{
    QJsonObject keys{{QStringLiteral("limit"), limit}};
    if (!policyPrefix.isEmpty())
        keys.insert(QStringLiteral("policy_prefix"), policyPrefix);
    return sendForOkObject(command("get_evidence_events", keys));
}

std::optional<QJsonObject> DaemonClient::getDiagnosticEvents(int limit) const
{
    return sendForOkObject(command("get_diagnostic_events", {{QStringLiteral("limit"), limit}}));
}

bool DaemonClient::requestOneTimeFullCharge(std::optional<int> restoreLimit) const
{
    QJsonObject keys;
    if (restoreLimit)
        keys.insert(QStringLiteral("restore_limit"), *restoreLimit);
    return sendOk(command("request_one_time_full_charge", keys));
}

bool DaemonClient::clearCloudAlertSettings() const { return sendOk(command("clear_cloud_alert_settings")); }

bool DaemonClient::setSmartTargetConfig(bool enabled, double targetTemperature, double memoryPressureBoost) const
{
    QJsonObject targets;
    if (enabled) {
        // The memory target sits the boost below the others, kept within 0...120 degrees.
        const double memoryTarget = std::clamp(targetTemperature - memoryPressureBoost, 0.0, 120.0);
        targets = {{QStringLiteral("CPU"), targetTemperature},
                   {QStringLiteral("GPU"), targetTemperature},
                   {QStringLiteral("VRAM"), targetTemperature},
                   {QStringLiteral("Memory"), memoryTarget}};
    }
    return sendOk(command("set_smart_target_config", {{QStringLiteral("targets"), targets}}));
}

bool DaemonClient::setSurvivalThrottling(bool enabled, double thermalTripCelsius, double memoryTripRatio) const
{
    // Cool down at least 1 degree below the trip, never below 60 degrees.
    const double cooldownTarget
        = std::max(60.0, std::min(thermalTripCelsius - 10.0 * memoryTripRatio, thermalTripCelsius - 1.0));
    return sendOk(command("set_survival_throttling",
                          {{QStringLiteral("enabled"), enabled},
                           {QStringLiteral("threshold"), thermalTripCelsius},
                           {QStringLiteral("cooldown_target"), cooldownTarget}}));
}

SleepRuntimeApplyResult DaemonClient::setSystemSleepDisabledResult(bool enabled,
                                                                   std::optional<int> batteryCutoffPercent,
                                                                   bool persistUserIntent) const
{
    QJsonObject keys{{QStringLiteral("enabled"), enabled}, {QStringLiteral("persist_user_intent"), persistUserIntent}};
    if (batteryCutoffPercent)
        keys.insert(QStringLiteral("battery_cutoff_percent"), *batteryCutoffPercent);
    return SleepRuntimeApplyResult::fromReply(send(command("set_system_sleep_disabled", keys)));
}

std::variant<DiagnosticPackagePreview, DiagnosticSupportError>
DaemonClient::getDiagnosticPackagePreview(bool includeProcessNames, bool includeReportContext) const
{
    const auto reply = send(command("get_diagnostic_package_preview",
                                    {{QStringLiteral("include_process_names"), includeProcessNames},
                                     {QStringLiteral("include_report_context"), includeReportContext}}));
    if (reply && json::isOkStatus(*reply))
        return DiagnosticPackagePreview::fromReply(*reply);
    return DiagnosticSupportError::fromReply(reply);
}

std::variant<DiagnosticExportResult, DiagnosticSupportError>
DaemonClient::exportDiagnosticBundle(const DiagnosticExportRequest& request) const
{
    const auto reply = send(request.toRequest());
    if (reply && json::isOkStatus(*reply)) {
        if (auto result = DiagnosticExportResult::fromReply(*reply))
            return *result;
        return DiagnosticSupportError{};
    }
    return DiagnosticSupportError::fromReply(reply);
}

QJsonArray DaemonClient::encodeCurve(const std::vector<WireCurvePoint>& points)
{
    QJsonArray out;
    for (const auto& point : points)
        out.append(QJsonObject{{QStringLiteral("temp"), point.temperature}, {QStringLiteral("fan"), point.fanPercent}});
    return out;
}

} // namespace vantrel
