#pragma once
// Everything a command handler works on: the simulated Mac and the daemon's own stores.
// Handlers run one at a time under the daemon's lock.
#include <memory>
#include <optional>

#include <QSet>
#include <QString>

#include "daemonserver/SettingsFile.h"
#include "daemonserver/SystemFigures.h"
#include "sim/model/SimulatedMac.h"
#include "sim/protocol/DiagnosticLog.h"
#include "sim/protocol/FaultInjector.h"
#include "sim/protocol/StudyLogger.h"
#include "sim/protocol/UpdateInstaller.h"

namespace vantrel::sim {

using daemonserver::SettingsFile;
using daemonserver::SystemFigures;

// Which application build owns the hardware runtime, as "get_runtime_ownership" reports it.
enum class RuntimeOwnership {
    Production,
    Debug,
    Fenced
};
std::optional<RuntimeOwnership> ownershipNamed(const QString& name);

struct SimDaemonConfig {
    MachineProfile profile = MachineProfile::laptop14();
    RuntimeOwnership ownership = RuntimeOwnership::Production;
    QString stateDirectory;
    QString updateStatusPath; // the durable update status file
    QString studyLogPath; // empty: no study sample log
    int studyIntervalSeconds = 60;
    double startEpochSeconds = 0; // 0: the present moment
    double batteryPercent = 72.0;
    bool manualClock = false;
};

struct SimContext {
    SimContext(SimDaemonConfig cfg, FaultInjector& faultInjector, std::shared_ptr<SystemFigures> systemFigures);

    // Advances simulated time: the machine, the update installation and the study log.
    void advance(int seconds);
    void diagnostic(const QString& level, const QString& component, const QString& message);
    // Stores the running fan / battery / sleep state as the user's canonical settings.
    void persistFan();
    // The stored battery policy is what the user asked for, even where the charger refused a part.
    void persistBattery(const std::optional<BatteryConfig>& requested = std::nullopt);
    void persistSleep();
    void persistDaemonSetting(const QString& section, const QJsonValue& value);

    SimDaemonConfig config;
    FaultInjector& faults;
    SimulatedMac mac;
    SettingsFile userSettings;
    SettingsFile daemonSettings;
    UpdateInstaller updates;
    DiagnosticLog diagnostics;
    StudyLogger study;
    std::shared_ptr<SystemFigures> system;
    RuntimeOwnership ownership;
    QJsonObject cloudAlerts; // the last accepted "set_cloud_alert_settings", empty when cleared
    QSet<QString> chargerFaults; // battery features whose charger write fails ("charge_limit" …)
    bool ready = false; // false while restoring at start-up (nothing is written back then)
    long long requestPeerPid = 0; // the process that sent the request being handled (0 unknown)
};

} // namespace vantrel::sim
