#include "power/PowerPageModel.h"

#include <algorithm>
#include <cmath>

#include <QPointer>
#include <QStringList>

#include "base/Dispatch.h"
#include "base/JsonAccess.h"
#include "base/Log.h"
#include "daemon/DaemonClient.h"
#include "daemon/PowerPolicyState.h"
#include "l10n/L10n.h"
#include "power/BatteryPolicyState.h"

namespace vantrel {

const QString PowerPageModel::defaultWebhookURL = QStringLiteral("https://hooks.example.com/vantrel/alerts");
const QString PowerPageModel::defaultWebhookUserID = QStringLiteral("studio-mac-01");

namespace {

constexpr int firstFeatureId = 15;
constexpr int lastFeatureId = 24;

bool isSecureWebhook(const QString& url) { return url.startsWith(QStringLiteral("https://")); }

// The "*_ok" flags of a partial apply that came back false, sorted and joined.
QString failedChargeSteps(const QJsonObject& reply)
{
    const QJsonObject steps = json::object(reply, QStringLiteral("last_charge_apply")).value_or(QJsonObject());
    QStringList failed;
    for (auto it = steps.begin(); it != steps.end(); ++it)
        if (it.key().endsWith(QStringLiteral("_ok")) && json::asStrictBool(it.value()) == false)
            failed.append(it.key());
    failed.sort();
    return failed.join(QStringLiteral(", "));
}

std::optional<int> asPercent(std::optional<qint64> v)
{
    if (!v || *v < INT32_MIN || *v > INT32_MAX)
        return std::nullopt;
    return static_cast<int>(*v);
}

} // namespace

PowerPageModel::PowerPageModel(BatteryPolicyState& policy, DaemonClient& client, Dispatch& dispatch,
                               std::function<bool()> hasBattery, QObject* parent)
    : QObject(parent)
    , policy_(policy)
    , client_(client)
    , dispatch_(dispatch)
    , hasBattery_(std::move(hasBattery))
    , webhookURL_(defaultWebhookURL)
    , webhookUserID_(defaultWebhookUserID)
{
    for (int id = firstFeatureId; id <= lastFeatureId; ++id)
        toggles_[id] = false;
}

PowerPageModel::~PowerPageModel()
{
    if (pendingBatteryApply_)
        pendingBatteryApply_->cancel();
    if (drainTimer_)
        drainTimer_->cancel();
}

template <class Result>
void PowerPageModel::exchange(std::function<Result(DaemonClient&)> ask,
                              std::function<void(PowerPageModel&, Result)> deliver)
{
    // The client and the dispatch live for the process; the model is held weakly.
    dispatch_.global(QoS::UserInitiated)
        ->async([client = &client_, main = dispatch_.main(), guard = QPointer<PowerPageModel>(this),
                 ask = std::move(ask), deliver = std::move(deliver)] {
            Result result = ask(*client);
            main->async([guard, deliver, result = std::move(result)] {
                if (guard)
                    deliver(*guard, result);
            });
        });
}

void PowerPageModel::sendAndReport(std::function<bool(DaemonClient&)> send, const QString& successKey,
                                   const QString& failureKey)
{
    exchange<bool>(std::move(send), [successKey, failureKey](PowerPageModel& self, bool accepted) {
        if (accepted)
            self.showStatus(successKey, StatusTone::Success);
        else
            self.showStatus(failureKey, StatusTone::Failure);
    });
}

bool PowerPageModel::batteryControlsAvailable() const { return hasBattery_ && hasBattery_(); }

bool PowerPageModel::isOn(int id) const
{
    const auto it = toggles_.find(id);
    return it != toggles_.end() && it->second;
}

void PowerPageModel::setToggle(int id, bool on)
{
    if (isOn(id) == on && toggles_.count(id))
        return;
    toggles_[id] = on;
    Q_EMIT toggleChanged(id, on);
}

QString PowerPageModel::connectionLabel(int id)
{
    switch (id) {
    case chargeLimitFeature:
    case chargeProtectorFeature:
    case safetyDrainFeature:
    case heatProtectionFeature:
        return QStringLiteral("set_battery_config");
    case oneTimeFullChargeFeature:
        return QStringLiteral("request_one_time_full_charge");
    case cloudHeartbeatFeature:
    case cloudAlertFeature:
        return QStringLiteral("set_cloud_alert_settings");
    default:
        return QStringLiteral("backend needed");
    }
}

void PowerPageModel::handleFeatureToggle(int id, bool isOn)
{
    if (!batteryControlsAvailable())
        return;
    setToggle(id, isOn);
    // Switches moved by a readback being applied are the daemon's values, not requests.
    if (isSyncingReadback_)
        return;
    switch (id) {
    case chargeLimitFeature:
    case chargeProtectorFeature:
    case safetyDrainFeature:
    case heatProtectionFeature:
        applyBatteryConfig(QStringLiteral("feature-toggle-") + QString::number(id));
        return;
    case oneTimeFullChargeFeature:
        if (isOn)
            requestOneTimeFullCharge();
        return;
    case cloudHeartbeatFeature:
    case cloudAlertFeature:
        switchCloudAlerts(id, isOn);
        return;
    default:
        showStatus(L10n::key("power.status.feature_locked"), StatusTone::Neutral, connectionLabel(id));
        return;
    }
}

void PowerPageModel::setChargeLimit(double percent)
{
    if (!std::isfinite(percent) || chargeLimit_ == percent)
        return;
    chargeLimit_ = percent;
    Q_EMIT chargeLimitChanged();
}

void PowerPageModel::setHeatMaxTemp(double celsius)
{
    if (!std::isfinite(celsius) || heatMaxTemp_ == celsius)
        return;
    heatMaxTemp_ = celsius;
    Q_EMIT heatMaxTempChanged();
}

int PowerPageModel::normalizedChargeLimit() const { return BatteryConfiguration::normalizedChargeLimit(chargeLimit_); }

void PowerPageModel::setWebhookURL(const QString& url)
{
    setText(webhookURL_, url, &PowerPageModel::webhookURLChanged);
}

void PowerPageModel::setWebhookUserID(const QString& id)
{
    setText(webhookUserID_, id, &PowerPageModel::webhookUserIDChanged);
}

void PowerPageModel::setHeartbeatInterval(int seconds)
{
    if (heartbeatInterval_ == seconds)
        return;
    heartbeatInterval_ = seconds;
    Q_EMIT heartbeatIntervalChanged();
}

void PowerPageModel::setText(QString& field, const QString& value, void (PowerPageModel::*changed)())
{
    if (field == value)
        return;
    field = value;
    Q_EMIT(this->*changed)();
}

void PowerPageModel::setSafetyDrainTarget(std::optional<int> target)
{
    if (safetyDrainTargetPercent_ == target)
        return;
    safetyDrainTargetPercent_ = target;
    Q_EMIT safetyDrainTargetPercentChanged();
}

void PowerPageModel::selectSafetyDrainTarget(std::optional<int> target)
{
    if (!batteryControlsAvailable())
        return;
    setSafetyDrainTarget(target);
    if (target) {
        showStatus(L10n::key("power.status.safety_drain_fixed_applying"), StatusTone::Progress,
                   QString::number(*target));
        applyBatteryConfig(QStringLiteral("safety-drain-fixed-") + QString::number(*target)
                           + QStringLiteral("-selected"));
    } else {
        showStatus(L10n::key("power.status.safety_drain_auto_applying"), StatusTone::Progress);
        applyBatteryConfig(QStringLiteral("safety-drain-auto-selected"));
    }
}

void PowerPageModel::applyBatteryConfig(const QString& reason)
{
    Q_UNUSED(reason) // names the trigger only; what is sent does not depend on it
    if (!batteryControlsAvailable())
        return;
    BatteryConfiguration config;
    config.batteryLimitEnabled = isOn(chargeLimitFeature);
    config.chargeLimit = normalizedChargeLimit();
    config.chargeProtectorEnabled = isOn(chargeProtectorFeature);
    config.safetyDrainEnabled = isOn(safetyDrainFeature);
    config.heatProtectionEnabled = isOn(heatProtectionFeature);
    config.maxBatteryTemp = heatMaxTemp_;
    config.safetyDrainTargetPercent = safetyDrainTargetPercent_;
    policy_.setConfiguration(config);

    showStatus(L10n::key("power.status.set_battery_config_applying"), StatusTone::Progress);
    const QJsonObject request = config.request();
    const int limitSent = config.chargeLimit;
    exchange<BatteryApplyOutcome>(
        [request](DaemonClient& client) {
        BatteryApplyOutcome outcome;
        outcome.reply = client.send(request);
        outcome.readback = client.getPowerPolicyState();
        return outcome;
        },
        [limitSent](PowerPageModel& self, BatteryApplyOutcome outcome) {
        self.finishBatteryApply(outcome, limitSent);
    });
}

void PowerPageModel::scheduleBatteryConfigApply(const QString& reason, bool ensureChargeLimitEnabled)
{
    if (!batteryControlsAvailable() || isSyncingReadback_)
        return;
    if (ensureChargeLimitEnabled)
        setToggle(chargeLimitFeature, true);
    if (!isOn(chargeLimitFeature) && !isOn(chargeProtectorFeature))
        return;
    if (pendingBatteryApply_)
        pendingBatteryApply_->cancel();
    showStatus(L10n::key("power.status.set_battery_config_prep"), StatusTone::Progress);
    pendingBatteryApply_
        = dispatch_.after(dispatch_.main(), Duration(300), weakly(this, [reason](PowerPageModel* self) {
                              self->pendingBatteryApply_.reset();
                              self->applyBatteryConfig(reason);
                          }));
}

void PowerPageModel::applyChargeLimitImmediately(const QString& reason)
{
    if (!batteryControlsAvailable() || isSyncingReadback_)
        return;
    if (pendingBatteryApply_) {
        pendingBatteryApply_->cancel();
        pendingBatteryApply_.reset();
    }
    setToggle(chargeLimitFeature, true);
    applyBatteryConfig(reason);
}

bool PowerPageModel::hasPendingBatteryApply() const
{
    return pendingBatteryApply_ && !pendingBatteryApply_->isCancelled();
}

void PowerPageModel::syncPowerReadback()
{
    exchange<std::optional<QJsonObject>>([](DaemonClient& client) { return client.getPowerPolicyState(); },
                                         [](PowerPageModel& self, std::optional<QJsonObject> power) {
        if (power)
            self.applyPowerReadback(*power, false);
    });
}

void PowerPageModel::pollSafetyDrainState()
{
    // One read at a time: a slow daemon must not pile up a read per tick. Only the drain
    // status follows: a slider the user is moving keeps its value until it is sent.
    if (drainPollInFlight_)
        return;
    drainPollInFlight_ = true;
    exchange<std::optional<QJsonObject>>([](DaemonClient& client) { return client.getPowerPolicyState(); },
                                         [](PowerPageModel& self, std::optional<QJsonObject> power) {
        self.drainPollInFlight_ = false;
        if (!power)
            return;
        self.updateSafetyDrainFromPower(*power);
        self.updateChargeLimitEffect(*power);
        Q_EMIT self.readbackReceived(*power);
    });
}

void PowerPageModel::setSafetyDrainPolling(bool on)
{
    if (on == (drainTimer_ != nullptr))
        return;
    if (!on) {
        drainTimer_->cancel();
        drainTimer_.reset();
        return;
    }
    drainTimer_ = dispatch_.every(dispatch_.main(), Duration(1000), Duration(100),
                                  weakly(this, [](PowerPageModel* self) { self->pollSafetyDrainState(); }));
}

void PowerPageModel::finishBatteryApply(const BatteryApplyOutcome& outcome, int limitSent)
{
    if (outcome.readback)
        applyPowerReadback(*outcome.readback, true);
    const auto status = outcome.reply ? json::string(*outcome.reply, QStringLiteral("status")) : std::nullopt;
    if (!status) {
        if (outcome.readback)
            showStatus(L10n::key("power.status.set_battery_config_delay"), StatusTone::Warning);
        else
            showStatus(L10n::key("power.status.set_battery_config_fail_no_resp"), StatusTone::Failure);
        return;
    }
    if (*status == QStringLiteral("error")) {
        // Rejected: the switches and sliders return to what the daemon holds.
        if (outcome.readback)
            applyPowerReadback(*outcome.readback, false);
        const QString reasonText = json::string(*outcome.reply, QStringLiteral("message"))
                                       .value_or(json::string(*outcome.reply, QStringLiteral("reason"))
                                                     .value_or(L10n::tr("power.status.set_battery_config_reject")));
        showStatus(L10n::key("power.status.set_battery_config_fail_msg"), StatusTone::Failure, reasonText);
        return;
    }
    if (*status == QStringLiteral("partial")) {
        const QString failed = failedChargeSteps(*outcome.reply);
        if (failed.isEmpty())
            showStatus(L10n::key("power.status.set_battery_config_partial"), StatusTone::Warning);
        else
            showStatus(L10n::key("power.status.set_battery_config_partial_msg"), StatusTone::Warning, failed);
        return;
    }
    showStatus(L10n::key("power.status.set_battery_config_success"), StatusTone::Success, QString::number(limitSent));
}

void PowerPageModel::requestOneTimeFullCharge()
{
    showStatus(L10n::key("power.status.charge_one_time_applying"), StatusTone::Progress);
    setToggle(oneTimeFullChargeFeature, false);
    const int restoreLimit = normalizedChargeLimit();
    sendAndReport([restoreLimit](DaemonClient& client) { return client.requestOneTimeFullCharge(restoreLimit); },
                  L10n::key("power.status.charge_one_time_success"), L10n::key("power.status.charge_one_time_failure"));
}

QJsonObject PowerPageModel::cloudAlertRequest(bool enabled) const
{
    return QJsonObject{
        {QStringLiteral("cmd"), QStringLiteral("set_cloud_alert_settings")},
        {QStringLiteral("enabled"), enabled},
        {QStringLiteral("user_id"), webhookUserID_},
        {QStringLiteral("webhook_url"), webhookURL_},
        {QStringLiteral("interval_seconds"), heartbeatInterval_},
    };
}

void PowerPageModel::switchCloudAlerts(int id, bool isOn)
{
    if (isOn && !isSecureWebhook(webhookURL_)) {
        showStatus(L10n::key("power.status.webhook_invalid"), StatusTone::Failure);
        setToggle(id, false);
        return;
    }
    const QJsonObject request = cloudAlertRequest(isOn);
    sendAndReport([request](DaemonClient& client) { return client.sendOk(request); },
                  L10n::key("power.status.webhook_success"), L10n::key("power.status.webhook_failure"));
}

void PowerPageModel::savePowerAlertSettings()
{
    if (!isSecureWebhook(webhookURL_)) {
        showStatus(L10n::key("power.status.webhook_invalid"), StatusTone::Failure);
        return;
    }
    setToggle(cloudAlertFeature, true);
    const QJsonObject request = cloudAlertRequest(true);
    sendAndReport([request](DaemonClient& client) { return client.sendOk(request); },
                  L10n::key("power.alert_settings.save_success"), L10n::key("power.alert_settings.save_failure"));
}

void PowerPageModel::primePowerControlsFromStoredSettings()
{
    setToggle(chargeLimitFeature, policy_.batteryLimitEnabled());
    setToggle(chargeProtectorFeature, policy_.chargeProtectorEnabled());
    setToggle(safetyDrainFeature, policy_.safetyDrainEnabled());
    setToggle(heatProtectionFeature, policy_.heatProtectionEnabled());
    setChargeLimit(policy_.chargeLimit());
    setHeatMaxTemp(policy_.maxBatteryTemp());
    setSafetyDrainTarget(policy_.safetyDrainTargetPercent());
}

void PowerPageModel::setSyncing(bool syncing)
{
    if (isSyncingReadback_ == syncing)
        return;
    isSyncingReadback_ = syncing;
    Q_EMIT isSyncingReadbackChanged();
}

void PowerPageModel::applyPowerReadback(const QJsonObject& power, bool skipBatteryFields)
{
    setSyncing(true);
    if (auto present = json::strictBool(power, QStringLiteral("battery_present")))
        setText(batteryGateValue_, *present ? QStringLiteral("has_battery") : QStringLiteral("no_battery"),
                &PowerPageModel::batteryGateValueChanged);
    if (auto state = json::string(power, QStringLiteral("power_only_state")))
        setText(powerStateValue_, *state, &PowerPageModel::powerStateValueChanged);
    setText(alertValue_, isOn(cloudAlertFeature) ? L10n::tr("power.alert.on") : L10n::tr("power.alert.off"),
            &PowerPageModel::alertValueChanged);
    if (!skipBatteryFields) {
        auto toggleFrom = [&](const char* key, int id) {
            if (auto on = json::strictBool(power, QString::fromLatin1(key)))
                setToggle(id, *on);
        };
        toggleFrom("charge_limit_enabled", chargeLimitFeature);
        if (auto limit = json::integer(power, QStringLiteral("target_charge_limit")))
            setChargeLimit(static_cast<double>(*limit));
        toggleFrom("charge_protector_enabled", chargeProtectorFeature);
        toggleFrom("safety_drain_enabled", safetyDrainFeature);
        if (auto mode = json::string(power, QStringLiteral("safety_drain_target_mode"))) {
            const auto fixed = asPercent(json::integer(power, QStringLiteral("safety_drain_target_percent")));
            const std::optional<int> target = *mode == QStringLiteral("fixed") ? fixed : std::nullopt;
            setSafetyDrainTarget(target);
            policy_.setSafetyDrainTargetPercent(target);
        }
        toggleFrom("heat_protection_enabled", heatProtectionFeature);
        if (auto temp = json::number(power, QStringLiteral("max_battery_temp")))
            setHeatMaxTemp(*temp);
    }
    updateSafetyDrainFromPower(power);
    updateChargeLimitEffect(power);
    setSyncing(false);
    Q_EMIT readbackReceived(power);
}

void PowerPageModel::updateSafetyDrainFromPower(const QJsonObject& power)
{
    const bool enabled = json::strictBool(power, QStringLiteral("safety_drain_enabled")).value_or(false);
    const bool active = json::strictBool(power, QStringLiteral("safety_drain_active")).value_or(false);
    const QString mode
        = json::string(power, QStringLiteral("safety_drain_target_mode")).value_or(QStringLiteral("charge_limit"));
    const auto effective = json::integer(power, QStringLiteral("safety_drain_effective_target_percent"));
    const auto wait = asPercent(json::integer(power, QStringLiteral("safety_drain_auto_wait_seconds")));
    const auto battery = json::integer(power, QStringLiteral("battery_percent"));

    const QString label = mode == QStringLiteral("charge_limit") || !effective
        ? QStringLiteral("Auto")
        : QString::number(*effective) + QLatin1Char('%');
    QString state;
    std::optional<int> countdown;
    if (!enabled)
        state = QStringLiteral("off");
    else if (active)
        state = QStringLiteral("active");
    else if (wait && *wait > 0) {
        state = QStringLiteral("waiting");
        countdown = wait;
    } else if (battery && effective && *battery <= *effective)
        state = QStringLiteral("idle");
    else
        state = QStringLiteral("off");

    if (state == safetyDrainState_ && countdown == safetyDrainCountdown_ && label == safetyDrainTargetLabel_)
        return;
    safetyDrainState_ = state;
    safetyDrainCountdown_ = countdown;
    safetyDrainTargetLabel_ = label;
    Q_EMIT safetyDrainStatusChanged();
}

void PowerPageModel::updateChargeLimitEffect(const QJsonObject& power)
{
    const PowerPolicyState state = PowerPolicyState::fromReply(power);
    const bool ignored = state.chargeLimitIgnored();
    const std::optional<int> limit = ignored ? asPercent(state.targetChargeLimit) : std::nullopt;
    if (ignored == chargeLimitIgnored_ && limit == ignoredChargeLimit_)
        return;
    // The daemon's text is English only: the page shows its own words and the log keeps the daemon's.
    if (ignored)
        logLine(QStringLiteral("[PowerPage] Charge limit not in effect: ")
                + state.chargeLimitWarningMessage.value_or(QStringLiteral("(no message from the daemon)")));
    else if (chargeLimitIgnored_)
        logLine(QStringLiteral("[PowerPage] Charge limit in effect again"));
    chargeLimitIgnored_ = ignored;
    ignoredChargeLimit_ = limit;
    Q_EMIT chargeLimitEffectChanged();
}

void PowerPageModel::showStatus(const QString& key, StatusTone tone, std::optional<QString> argument)
{
    statusKey_ = key;
    statusTone_ = tone;
    statusArgument_ = argument;
    statusText_ = argument ? L10n::format(key, *argument) : L10n::tr(key);
    Q_EMIT featureActionStatusChanged();
}

} // namespace vantrel
