#pragma once
// Everything the node's command handlers work on: this machine's readings and controls (all
// under the configured root), the policies the daemon runs, the lease and the stored settings.
// Handlers and the policy tick run one at a time under the daemon's lock.
#include <deque>
#include <memory>
#include <optional>

#include <QJsonArray>
#include <QJsonObject>
#include <QString>

#include "base/Clock.h"
#include "daemonserver/SettingsFile.h"
#include "daemonserver/SystemFigures.h"
#include "daemonserver/UserSettingsReplies.h"
#include "node/daemon/BatteryPolicy.h"
#include "node/daemon/FanPolicy.h"
#include "node/daemon/HeartbeatLease.h"
#include "node/daemon/MachineFacts.h"
#include "node/daemon/SleepHold.h"
#include "node/fans/Fans.h"
#include "node/power/ChargeControl.h"
#include "node/power/PowerSupplies.h"
#include "node/power/SysfsAttribute.h"

namespace vantrel::node {

inline constexpr const char* kUserSettingsFileName = "user-settings.json";
using daemonserver::kUserSettingsSchema;

struct NodeConfig {
    QString root; // VANTREL_ROOT; "" for this machine itself
    QString stateDirectory; // <root>/var/lib/vantrel
    SysfsWriter writer; // empty: write the attribute files themselves (tests put a fake kernel here)
};

class NodeContext {
public:
    NodeContext(NodeConfig config, Clock& clock, std::shared_ptr<SleepInhibitors> inhibitors,
                std::shared_ptr<daemonserver::SystemFigures> system);

    // root for the sysfs libraries: VANTREL_ROOT or "/".
    QString hardwareRoot() const;
    // Reads the supplies again; the readings below use the latest.
    void refreshPower();
    std::optional<double> cpuTemperature() const;
    std::optional<double> storageTemperature() const;
    QVector<FanReading> fanReadings() const { return fans.read(); }
    std::optional<BatteryReading> battery() const { return supplies.battery(); }
    AdapterReading adapter() const { return supplies.adapter(); }
    SleepHold::Inputs sleepInputs() const;
    MachineFacts facts() const;

    // The policy loop: lease lapse, sleep cut-off, battery policy and fan curve.
    void tick();
    // Any accepted request from the application counts as a heartbeat.
    void renewLease();
    bool leaseActive() const;

    void event(const QString& policyId, const QString& action, const QString& summary, const QString& trigger,
               const QString& result);
    void diagnostic(const QString& level, const QString& component, const QString& message);
    QJsonArray events(int limit, const QString& policyPrefix) const;
    QJsonArray diagnostics(int limit) const;

    void persistFan();
    void persistBattery();
    void persistSleep();
    // Replaces one section of the daemon's own settings (cloud alerts, smart targets …).
    void storeDaemonSetting(const QString& section, const QJsonValue& value);
    // Puts the stored settings into force; the codes of sections this machine cannot run.
    QStringList restoreSettings(const QJsonObject& settings);

    NodeConfig config;
    Clock& clock;
    PowerSupplies supplies;
    ChargeControl charge;
    Fans fans;
    BatteryPolicy batteryPolicy;
    FanPolicy fanPolicy;
    SleepHold sleep;
    HeartbeatLease lease;
    std::shared_ptr<SleepInhibitors> inhibitors;
    std::shared_ptr<daemonserver::SystemFigures> system;
    daemonserver::SettingsFile userSettings;
    daemonserver::SettingsFile daemonSettings;
    QJsonObject cloudAlerts;
    QJsonObject smartTargets;
    QJsonObject survivalThrottling;
    bool ready = false; // false while restoring at start (nothing is written back then)

private:
    void persist(const QString& section, const QJsonValue& value);

    std::deque<QJsonObject> events_; // newest last
    std::deque<QJsonObject> diagnostics_;
};

} // namespace vantrel::node
