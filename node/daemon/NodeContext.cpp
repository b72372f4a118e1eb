#include "node/daemon/NodeContext.h"

#include <algorithm>
#include <chrono>

#include "base/JsonAccess.h"
#include "base/Log.h"
#include "smc/LinuxSensorTree.h"
#include "smc/LinuxSmcKeys.h"

namespace vantrel::node {

namespace {

constexpr std::size_t kMaxEvents = 500;

QJsonObject curveObject(const QString& name, const FanCurve& curve)
{
    QJsonArray points;
    for (const auto& p : curve)
        points.append(
            QJsonObject{{QStringLiteral("temperature"), p.temperature}, {QStringLiteral("fan_percent"), p.fanPercent}});
    return QJsonObject{{QStringLiteral("name"), name}, {QStringLiteral("points"), points}};
}

std::optional<FanCurve> storedCurve(const QJsonObject& fan, const QString& key)
{
    const auto object = json::object(fan, key);
    if (!object)
        return std::nullopt;
    FanCurve curve;
    for (const auto& v : object->value(QStringLiteral("points")).toArray()) {
        const auto t = json::asDouble(v.toObject().value(QStringLiteral("temperature")));
        const auto f = json::asDouble(v.toObject().value(QStringLiteral("fan_percent")));
        if (!t || !f)
            return std::nullopt;
        curve.push_back({*t, std::clamp(*f, 0.0, 100.0)});
    }
    return curve;
}

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
    const FanSettings& s = fanPolicy.settings();
    QJsonObject fan{
        {QStringLiteral("mode"), fanPolicy.customPolicyActive() ? QStringLiteral("manual") : QStringLiteral("auto")},
        {QStringLiteral("unified"), s.unified},
        {QStringLiteral("smart_app_preset"), s.smartAppPreset},
        {QStringLiteral("preset_name"), s.presetName},
    };
    if (!s.left.empty())
        fan.insert(QStringLiteral("left_curve"), curveObject(s.presetName, s.left));
    const FanCurve& right = s.right.empty() ? s.left : s.right;
    if (!right.empty())
        fan.insert(QStringLiteral("right_curve"), curveObject(s.presetName, right));
    persist(QStringLiteral("fan"), fan);
}

void NodeContext::persistBattery()
{
    const daemonserver::BatteryRequest& c = batteryPolicy.config();
    QJsonObject b{
        {QStringLiteral("limit_enabled"), c.limitEnabled},
        {QStringLiteral("target_limit"), c.limit},
        {QStringLiteral("charge_protector_enabled"), c.chargeProtector},
        {QStringLiteral("charge_protector_drop_percent"), c.drop},
        {QStringLiteral("safety_drain_enabled"), c.safetyDrain},
        {QStringLiteral("safety_drain_target_mode"),
         c.drainFixedTarget ? QStringLiteral("fixed") : QStringLiteral("charge_limit")},
        {QStringLiteral("heat_protection_enabled"), c.heatProtect},
        {QStringLiteral("max_battery_temp"), c.maxTemp},
    };
    if (c.drainFixedTarget)
        b.insert(QStringLiteral("safety_drain_target_percent"), *c.drainFixedTarget);
    persist(QStringLiteral("battery"), b);
}

void NodeContext::persistSleep()
{
    persist(QStringLiteral("sleep"),
            QJsonObject{{QStringLiteral("system_sleep_disabled"), sleep.requested()},
                        {QStringLiteral("battery_cutoff_percent"), sleep.cutoffPercent()}});
}

QStringList NodeContext::restoreSettings(const QJsonObject& settings)
{
    QStringList unavailable;
    refreshPower();
    if (const auto fan = json::object(settings, QStringLiteral("fan"))) {
        FanSettings s;
        s.manual = json::string(*fan, QStringLiteral("mode")).value_or(QString()) == QLatin1String("manual");
        s.unified = json::strictBool(*fan, QStringLiteral("unified")).value_or(true);
        s.smartAppPreset = json::strictBool(*fan, QStringLiteral("smart_app_preset")).value_or(false);
        s.presetName = json::string(*fan, QStringLiteral("preset_name")).value_or(s.presetName);
        s.left = storedCurve(*fan, QStringLiteral("left_curve")).value_or(FanCurve{});
        s.right = storedCurve(*fan, QStringLiteral("right_curve")).value_or(FanCurve{});
        if (s.manual && !fans.supportsSafeControl()) {
            unavailable << QStringLiteral("ERR_FAN_RUNTIME_UNAVAILABLE");
            s.manual = false;
        }
        fanPolicy.configure(s);
    }
    if (const auto b = json::object(settings, QStringLiteral("battery"))) {
        const auto battery = supplies.battery();
        if (!battery || !battery->present) {
            unavailable << QStringLiteral("ERR_BATTERY_RUNTIME_UNAVAILABLE");
        } else {
            daemonserver::BatteryRequest c;
            c.limitEnabled = json::strictBool(*b, QStringLiteral("limit_enabled")).value_or(false);
            c.limit = static_cast<int>(
                std::clamp<qint64>(json::integer(*b, QStringLiteral("target_limit")).value_or(80), 20, 100));
            c.chargeProtector = json::strictBool(*b, QStringLiteral("charge_protector_enabled")).value_or(false);
            c.drop = static_cast<int>(std::clamp<qint64>(
                json::integer(*b, QStringLiteral("charge_protector_drop_percent")).value_or(5), 1, 50));
            c.safetyDrain = json::strictBool(*b, QStringLiteral("safety_drain_enabled")).value_or(false);
            const auto fixed = json::integer(*b, QStringLiteral("safety_drain_target_percent"));
            if (json::string(*b, QStringLiteral("safety_drain_target_mode")).value_or(QString())
                    == QLatin1String("fixed")
                && fixed)
                c.drainFixedTarget = static_cast<int>(std::clamp<qint64>(*fixed, 10, 100));
            c.heatProtect = json::strictBool(*b, QStringLiteral("heat_protection_enabled")).value_or(false);
            c.maxTemp = json::number(*b, QStringLiteral("max_battery_temp")).value_or(35.0);
            const BatteryApplyOutcome outcome = batteryPolicy.configure(c, &*battery);
            if (!outcome.failed.isEmpty())
                unavailable << QStringLiteral("ERR_CHARGE_APPLY_PARTIAL");
        }
    }
    if (const auto s = json::object(settings, QStringLiteral("sleep"))) {
        std::optional<int> cutoff;
        if (const auto v = json::integer(*s, QStringLiteral("battery_cutoff_percent")); v && *v >= 5 && *v <= 95)
            cutoff = static_cast<int>(*v);
        sleep.request(json::strictBool(*s, QStringLiteral("system_sleep_disabled")).value_or(false), cutoff,
                      sleepInputs());
    }
    return unavailable;
}

} // namespace vantrel::node
