#pragma once
// The application's one way to the root daemon: typed operations over one exchange each.
// Every exchange of the process is serialised by the transport; callers block until theirs ends.
#include <functional>
#include <memory>
#include <optional>
#include <variant>
#include <vector>

#include <QJsonArray>
#include <QJsonObject>
#include <QString>

#include "base/Paths.h"
#include "daemon/DaemonStatus.h"
#include "daemon/DaemonTransport.h"
#include "daemon/DiagnosticSupport.h"
#include "daemon/SleepRuntimeApplyResult.h"

namespace vantrel {

// One curve point as "set_fan_config" carries it.
struct WireCurvePoint {
    double temperature = 0;
    double fanPercent = 0;
};

class DaemonClient {
public:
    static const QString daemonConnectionDidFail; // "DaemonConnectionDidFail"

    // updateStatusPath: the durable update-status file read when the daemon cannot answer.
    explicit DaemonClient(std::shared_ptr<DaemonTransport> transport,
                          QString updateStatusPath = Paths::fromEnvironment().updateStatusFile());

    // The raw exchange; other parts build "set_fan_config", "set_battery_config" and
    // "set_cloud_alert_settings" themselves and send them through here.
    std::optional<QJsonObject> send(const QJsonObject& request) const;
    // True exactly when a reply arrived and its "status" is the string "ok".
    bool sendOk(const QJsonObject& request) const;

    std::optional<DaemonStatus> getStatus() const;
    bool setFanMode(int index, const QString& mode) const;
    bool setFanRPM(int index, int rpm) const;
    bool setChargeLimit(int limit) const;
    bool sendAppHeartbeat() const;
    bool releaseDebugRuntime() const;
    std::optional<QJsonObject> getRuntimeOwnership() const;
    std::optional<QJsonObject> getUserSettingsState() const;
    bool reloadUserSettings() const;
    // The whole reply of "reload_user_settings" (its consumer reads "status", "load_status", "settings").
    std::optional<QJsonObject> reloadUserSettingsReply() const;
    bool resetToVanilla() const;
    std::optional<QJsonObject> getSystemSnapshot() const;
    std::optional<QJsonObject> getHardwareProfile() const;
    std::optional<QJsonObject> getPowerPolicyState() const;
    // The update commands give the daemon's whole reply, refusals included: their "code"
    // says why (another installation running, a platform that installs no updates).
    std::optional<QJsonObject> verifyUpdatePackage(const QString& pkgPath, const QString& expectedSHA256,
                                                   const QString& expectedVersion,
                                                   const QString& expectedBundleVersion) const;
    std::optional<QJsonObject> installUserInitiatedUpdatePackage(const QString& pkgPath, const QString& expectedSHA256,
                                                                 const QString& expectedVersion,
                                                                 const QString& expectedBundleVersion) const;
    // Falls back to the trusted durable status file when the daemon gives no "ok" reply.
    std::optional<QJsonObject> getUpdateInstallationState() const;
    bool acknowledgeUpdateAppRelaunch(const QString& transactionID) const;
    std::optional<QJsonObject> getEvidenceEvents(int limit, const QString& policyPrefix = {}) const;
    std::optional<QJsonObject> getDiagnosticEvents(int limit) const;
    bool requestOneTimeFullCharge(std::optional<int> restoreLimit) const;
    bool clearCloudAlertSettings() const;
    bool setSmartTargetConfig(bool enabled, double targetTemperature, double memoryPressureBoost) const;
    bool setSurvivalThrottling(bool enabled, double thermalTripCelsius, double memoryTripRatio) const;
    SleepRuntimeApplyResult setSystemSleepDisabledResult(bool enabled, std::optional<int> batteryCutoffPercent,
                                                         bool persistUserIntent) const;
    std::variant<DiagnosticPackagePreview, DiagnosticSupportError>
    getDiagnosticPackagePreview(bool includeProcessNames, bool includeReportContext) const;
    std::variant<DiagnosticExportResult, DiagnosticSupportError>
    exportDiagnosticBundle(const DiagnosticExportRequest& request) const;

    // The curve encoder of "set_fan_config": [{"temp": t, "fan": f}, …] in curve order.
    static QJsonArray encodeCurve(const std::vector<WireCurvePoint>& points);

    // The durable update-status file reader used by getUpdateInstallationState (exposed for tests).
    void setUpdateStatusReader(std::function<std::optional<QJsonObject>()> reader);

private:
    std::optional<QJsonObject> sendForOkObject(const QJsonObject& request) const;

    std::shared_ptr<DaemonTransport> transport_;
    std::function<std::optional<QJsonObject>()> updateStatusReader_;
};

} // namespace vantrel
