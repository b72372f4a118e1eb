#include "node/daemon/NodeContext.h"

#include <chrono>

#include "base/JsonAccess.h"
#include "base/Log.h"
#include "daemonserver/StoredSettings.h"
#include "smc/LinuxSensorTree.h"
#include "smc/LinuxSmcKeys.h"

namespace vantrel::node {

namespace {

constexpr std::size_t kMaxEvents = 500;

std::optional<double> smcReading(const QString& root, const std::string& key)
{
    smc::LinuxSensorTree tree((root + QStringLiteral("/sys/class")).toStdString());
    smc::LinuxSmcKeys keys(tree);
    const auto entry = keys.read(key);
    return entry ? entry->value() : std::nullopt;
}

} // namespace

NodeContext::NodeContext(NodeConfig cfg, Clock& clk, std::shared_ptr<SleepInhibitors> sleepInhibitors,
                         std::shared_ptr<daemonserver::SystemFigures> figures)
    : config(std::move(cfg))
    , clock(clk)
    , supplies(hardwareRoot())
    , charge(hardwareRoot(), config.writer ? config.writer : SysfsWriter(writeSysfsFile))
    , fans(hardwareRoot(), config.writer ? config.writer : SysfsWriter(writeSysfsFile))
    , batteryPolicy(charge)
    , fanPolicy(fans)
    , sleep(sleepInhibitors)
    , inhibitors(std::move(sleepInhibitors))
    , system(std::move(figures))
    , userSettings(config.stateDirectory + QLatin1Char('/') + QLatin1String(kUserSettingsFileName),
                   QLatin1String(kUserSettingsSchema))
    , daemonSettings(config.stateDirectory + QStringLiteral("/daemon-settings.json"),
                     QStringLiteral("vantrel_daemon_settings.v1"))
{ }

QString NodeContext::hardwareRoot() const { return config.root.isEmpty() ? QStringLiteral("/") : config.root; }

void NodeContext::refreshPower() { supplies.refresh(); }

std::optional<double> NodeContext::cpuTemperature() const
{
    // The average of the package sensors, else the hottest core.
    if (auto v = smcReading(config.root, "TPMP"))
        return v;
    return smcReading(config.root, "TPDX");
}

std::optional<double> NodeContext::storageTemperature() const { return smcReading(config.root, "TD00"); }

SleepHold::Inputs NodeContext::sleepInputs() const
{
    const auto b = supplies.battery();
    return {!supplies.adapter().connected && b.has_value(), b ? b->percent : -1, leaseActive()};
}

MachineFacts NodeContext::facts() const
{
    MachineFacts f = MachineFacts::read(hardwareRoot());
    f.fanCount = static_cast<int>(fans.read().size());
    const auto b = supplies.battery();
    f.hasBattery = b && b->present;
    f.desktopClass = f.desktopClass || !f.hasBattery;
    f.supportsSafeFanControl = fans.supportsSafeControl();
    f.supportsClamshell = f.hasBattery && inhibitors->available();
    const ChargeCapabilities caps = charge.capabilities();
    f.chargeControl = caps.endThreshold || caps.fixedLimitOnly;
    return f;
}

void NodeContext::renewLease() { lease.renew(clock.uptimeSeconds()); }

bool NodeContext::leaseActive() const { return lease.active(clock.uptimeSeconds()); }

void NodeContext::tick()
{
    refreshPower();
    if (lease.takeLapse(clock.uptimeSeconds())) {
        fanPolicy.release();
        event(QStringLiteral("safety.app_lease"), QStringLiteral("lease_lapsed"),
              QStringLiteral("No heartbeat from the application: fans automatic, sleep inhibitors released"),
              QStringLiteral("lease"), QStringLiteral("released"));
    }
    const bool wasHeld = sleep.effective();
    sleep.update(sleepInputs());
    if (wasHeld != sleep.effective())
        event(QStringLiteral("sleep.system"), sleep.effective() ? QStringLiteral("held") : QStringLiteral("released"),
              sleep.lowBatteryVanilla() ? QStringLiteral("Battery below the cut-off: system sleep allowed again")
                                        : QStringLiteral("System sleep inhibitor ")
                      + (sleep.effective() ? QStringLiteral("taken") : QStringLiteral("dropped")),
              QStringLiteral("policy"), sleep.effective() ? QStringLiteral("held") : QStringLiteral("released"));
    const auto now = std::chrono::steady_clock::time_point(
        std::chrono::milliseconds(static_cast<long long>(clock.uptimeSeconds() * 1000.0)));
    batteryPolicy.tick(now, supplies.battery(), supplies.adapter());
    fanPolicy.tick(cpuTemperature(), leaseActive());
}

void NodeContext::event(const QString& policyId, const QString& action, const QString& summary, const QString& trigger,
                        const QString& result)
{
    events_.push_back(QJsonObject{
        {QStringLiteral("policy_id"), policyId},
        {QStringLiteral("action"), action},
        {QStringLiteral("summary"), summary},
        {QStringLiteral("trigger"), trigger},
        {QStringLiteral("result_state"), result},
        {QStringLiteral("created_at"), clock.now().toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))},
    });
    while (events_.size() > kMaxEvents)
        events_.pop_front();
}

void NodeContext::diagnostic(const QString& level, const QString& component, const QString& message)
{
    diagnostics_.push_back(QJsonObject{
        {QStringLiteral("level"), level},
        {QStringLiteral("component"), component},
        {QStringLiteral("message"), message},
        {QStringLiteral("created_at"), clock.now().toUTC().toString(Qt::ISODate)},
    });
    while (diagnostics_.size() > kMaxEvents)
        diagnostics_.pop_front();
}

QJsonArray NodeContext::events(int limit, const QString& policyPrefix) const
{
    QJsonArray out;
    for (auto it = events_.rbegin(); it != events_.rend() && out.size() < limit; ++it)
        if (it->value(QStringLiteral("policy_id")).toString().startsWith(policyPrefix))
            out.append(*it);
    return out;
}

QJsonArray NodeContext::diagnostics(int limit) const
{
    QJsonArray out;
    for (auto it = diagnostics_.rbegin(); it != diagnostics_.rend() && out.size() < limit; ++it)
        out.append(*it);
    return out;
}

void NodeContext::persist(const QString& section, const QJsonValue& value)
{
    if (!ready)
        return;
    if (!userSettings.storeSection(section, value, clock.now().toMSecsSinceEpoch() / 1000.0))
        diagnostic(QStringLiteral("error"), QStringLiteral("settings"),
                   QStringLiteral("Cannot write ") + userSettings.path());
}

void NodeContext::persistFan()
{
    persist(QStringLiteral("fan"),
            daemonserver::storedFanSettings(fanPolicy.settings(), fanPolicy.customPolicyActive()));
}

void NodeContext::persistBattery()
{
    persist(QStringLiteral("battery"), daemonserver::storedBatterySettings(batteryPolicy.config()));
}

void NodeContext::persistSleep()
{
    persist(QStringLiteral("sleep"), daemonserver::storedSleepSettings(sleep.requested(), sleep.cutoffPercent()));
}

void NodeContext::storeDaemonSetting(const QString& section, const QJsonValue& value)
{
    daemonSettings.storeSection(section, value, clock.now().toMSecsSinceEpoch() / 1000.0);
}

QStringList NodeContext::restoreSettings(const QJsonObject& settings)
{
    QStringList unavailable;
    refreshPower();
    if (const auto fan = json::object(settings, QStringLiteral("fan"))) {
        FanConfig config = daemonserver::fanConfigFromStored(*fan, FanConfig{});
        if (config.manual && !fans.supportsSafeControl()) {
            unavailable << QStringLiteral("ERR_FAN_RUNTIME_UNAVAILABLE");
            config.manual = false;
        }
        fanPolicy.configure(config);
    }
    if (const auto b = json::object(settings, QStringLiteral("battery"))) {
        const auto battery = supplies.battery();
        if (!battery || !battery->present) {
            unavailable << QStringLiteral("ERR_BATTERY_RUNTIME_UNAVAILABLE");
        } else {
            const auto config = daemonserver::batteryConfigFromStored(*b, daemonserver::BatteryConfig{});
            if (!batteryPolicy.configure(config, &*battery).failed.isEmpty())
                unavailable << QStringLiteral("ERR_CHARGE_APPLY_PARTIAL");
        }
    }
    if (const auto s = json::object(settings, QStringLiteral("sleep"))) {
        const auto stored = daemonserver::sleepSettingsFromStored(*s, false);
        sleep.request(stored.systemSleepDisabled, stored.cutoffPercent, sleepInputs());
    }
    return unavailable;
}

} // namespace vantrel::node
