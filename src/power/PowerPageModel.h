#pragma once
// The power screen's model: its feature switches, sliders and cloud alert settings, the
// battery apply with the daemon's whole reply, the readback it shows, and the status line
// (a localisation key, its text and a colour token) under the feature list.
#include <functional>
#include <map>
#include <optional>

#include <QJsonObject>
#include <QObject>
#include <QString>

#include "base/Dispatch.h"
#include "base/StatusTone.h"

namespace vantrel {

class BatteryPolicyState;
class DaemonClient;

class PowerPageModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(double chargeLimit READ chargeLimit WRITE setChargeLimit NOTIFY chargeLimitChanged)
    Q_PROPERTY(double heatMaxTemp READ heatMaxTemp WRITE setHeatMaxTemp NOTIFY heatMaxTempChanged)
    Q_PROPERTY(QString webhookURL READ webhookURL WRITE setWebhookURL NOTIFY webhookURLChanged)
    Q_PROPERTY(QString webhookUserID READ webhookUserID WRITE setWebhookUserID NOTIFY webhookUserIDChanged)
    Q_PROPERTY(int heartbeatInterval READ heartbeatInterval WRITE setHeartbeatInterval NOTIFY heartbeatIntervalChanged)
    Q_PROPERTY(std::optional<int> safetyDrainTargetPercent READ safetyDrainTargetPercent NOTIFY
                   safetyDrainTargetPercentChanged)
    Q_PROPERTY(QString featureActionStatus READ featureActionStatus NOTIFY featureActionStatusChanged)
    Q_PROPERTY(QString featureActionStatusKey READ featureActionStatusKey NOTIFY featureActionStatusChanged)
    Q_PROPERTY(
        vantrel::StatusTone featureActionStatusTone READ featureActionStatusTone NOTIFY featureActionStatusChanged)
    Q_PROPERTY(bool isSyncingReadback READ isSyncingReadback NOTIFY isSyncingReadbackChanged)
    Q_PROPERTY(QString batteryGateValue READ batteryGateValue NOTIFY batteryGateValueChanged)
    Q_PROPERTY(QString powerStateValue READ powerStateValue NOTIFY powerStateValueChanged)
    Q_PROPERTY(QString alertValue READ alertValue NOTIFY alertValueChanged)
    Q_PROPERTY(QString safetyDrainState READ safetyDrainState NOTIFY safetyDrainStatusChanged)
    Q_PROPERTY(std::optional<int> safetyDrainCountdown READ safetyDrainCountdown NOTIFY safetyDrainStatusChanged)
    Q_PROPERTY(QString safetyDrainTargetLabel READ safetyDrainTargetLabel NOTIFY safetyDrainStatusChanged)
    Q_PROPERTY(bool chargeLimitIgnored READ chargeLimitIgnored NOTIFY chargeLimitEffectChanged)

public:
    // Feature switch ids of the screen.
    static constexpr int chargeLimitFeature = 15;
    static constexpr int chargeProtectorFeature = 17;
    static constexpr int safetyDrainFeature = 18;
    static constexpr int heatProtectionFeature = 19;
    static constexpr int oneTimeFullChargeFeature = 21;
    static constexpr int cloudHeartbeatFeature = 22;
    static constexpr int cloudAlertFeature = 23;

    static const QString defaultWebhookURL;
    static const QString defaultWebhookUserID; // "studio-mac-01"

    // hasBattery answers from the hardware capability store; without a battery every
    // battery control is inactive.
    PowerPageModel(BatteryPolicyState& policy, DaemonClient& client, Dispatch& dispatch,
                   std::function<bool()> hasBattery, QObject* parent = nullptr);
    ~PowerPageModel() override;

    bool batteryControlsAvailable() const;

    // Feature switches (ids 15…24, all off at first).
    bool isOn(int id) const;
    // Sets a switch without acting on it (readbacks and the operations below use this).
    void setToggle(int id, bool on);
    // What the user does to a switch: stores it and acts on it.
    void handleFeatureToggle(int id, bool isOn);
    // The back end a feature row names; "backend needed" for rows without one.
    static QString connectionLabel(int id);

    double chargeLimit() const { return chargeLimit_; }
    void setChargeLimit(double percent);
    double heatMaxTemp() const { return heatMaxTemp_; }
    void setHeatMaxTemp(double celsius);
    // The slider's value to the nearest ten, within 50…100.
    int normalizedChargeLimit() const;

    QString webhookURL() const { return webhookURL_; }
    void setWebhookURL(const QString& url);
    QString webhookUserID() const { return webhookUserID_; }
    void setWebhookUserID(const QString& id);
    int heartbeatInterval() const { return heartbeatInterval_; }
    void setHeartbeatInterval(int seconds);

    std::optional<int> safetyDrainTargetPercent() const { return safetyDrainTargetPercent_; }
    // None follows the charge limit; stores the choice and applies the policy.
    void selectSafetyDrainTarget(std::optional<int> target);

    // Writes the screen's policy into the central state and sends it; the reply and the
    // readback that follows decide the status line.
    void applyBatteryConfig(const QString& reason);
    // Applies 300 ms after the last call (each call replaces the one before), when the charge
    // limit or the charge protector is on; ensureChargeLimitEnabled switches the limit on first.
    // Nothing without a battery or while a readback is being applied.
    void scheduleBatteryConfigApply(const QString& reason, bool ensureChargeLimitEnabled);
    // Drops a scheduled apply, switches the limit on and applies at once.
    void applyChargeLimitImmediately(const QString& reason);
    bool hasPendingBatteryApply() const;
    // Reads the daemon's power-policy state and shows it with the battery fields.
    void syncPowerReadback();
    // The drain timer's step: re-reads the state so the drain status and countdown advance
    // (the switches and sliders are left alone).
    void pollSafetyDrainState();
    // Polls the drain state every second while on (the screen is shown).
    void setSafetyDrainPolling(bool on);
    bool isSafetyDrainPolling() const { return drainTimer_ != nullptr; }
    // The cloud alert dialog's save action.
    void savePowerAlertSettings();

    // Copies the stored policy into the switches, sliders and drain target.
    void primePowerControlsFromStoredSettings();
    // Shows a readback; with skipBatteryFields the battery switches and sliders keep the user's values.
    void applyPowerReadback(const QJsonObject& power, bool skipBatteryFields);
    void updateSafetyDrainFromPower(const QJsonObject& power);

    QString featureActionStatus() const { return statusText_; }
    QString featureActionStatusKey() const { return statusKey_; }
    // The text put in for "%s", when the status has one.
    std::optional<QString> featureActionStatusArgument() const { return statusArgument_; }
    StatusTone featureActionStatusTone() const { return statusTone_; }

    bool isSyncingReadback() const { return isSyncingReadback_; }
    QString batteryGateValue() const { return batteryGateValue_; }
    QString powerStateValue() const { return powerStateValue_; }
    QString alertValue() const { return alertValue_; }
    QString safetyDrainState() const { return safetyDrainState_; }
    std::optional<int> safetyDrainCountdown() const { return safetyDrainCountdown_; }
    QString safetyDrainTargetLabel() const { return safetyDrainTargetLabel_; }
    // The daemon reports that the battery keeps charging past the limit it accepted.
    bool chargeLimitIgnored() const { return chargeLimitIgnored_; }
    // The limit the daemon holds while it is ignored (the slider's value when it names none).
    int ignoredChargeLimit() const { return ignoredChargeLimit_.value_or(normalizedChargeLimit()); }

Q_SIGNALS:
    void toggleChanged(int id, bool on);
    void chargeLimitChanged();
    void heatMaxTempChanged();
    void webhookURLChanged();
    void webhookUserIDChanged();
    void heartbeatIntervalChanged();
    void safetyDrainTargetPercentChanged();
    void featureActionStatusChanged();
    void isSyncingReadbackChanged();
    void batteryGateValueChanged();
    void powerStateValueChanged();
    void alertValueChanged();
    void safetyDrainStatusChanged();
    void chargeLimitEffectChanged();
    // Every readback the screen received, as the daemon sent it (heat alerts read it too).
    void readbackReceived(const QJsonObject& power);

private:
    struct BatteryApplyOutcome {
        std::optional<QJsonObject> reply;
        std::optional<QJsonObject> readback;
    };

    void showStatus(const QString& key, StatusTone tone, std::optional<QString> argument = std::nullopt);
    void finishBatteryApply(const BatteryApplyOutcome& outcome, int limitSent);
    void requestOneTimeFullCharge();
    void switchCloudAlerts(int id, bool isOn);
    QJsonObject cloudAlertRequest(bool enabled) const;
    void setSafetyDrainTarget(std::optional<int> target);
    void updateChargeLimitEffect(const QJsonObject& power);
    void setSyncing(bool syncing);
    void setText(QString& field, const QString& value, void (PowerPageModel::*changed)());
    // Runs ask on a user-initiated queue and hands its result to deliver on the main thread,
    // unless the model is gone by then.
    template <class Result>
    void exchange(std::function<Result(DaemonClient&)> ask, std::function<void(PowerPageModel&, Result)> deliver);
    // An exchange whose outcome is one of two status lines.
    void sendAndReport(std::function<bool(DaemonClient&)> send, const QString& successKey, const QString& failureKey);

    BatteryPolicyState& policy_;
    DaemonClient& client_;
    Dispatch& dispatch_;
    std::function<bool()> hasBattery_;

    std::map<int, bool> toggles_;
    double chargeLimit_ = 80.0;
    double heatMaxTemp_ = 35.0;
    QString webhookURL_;
    QString webhookUserID_;
    int heartbeatInterval_ = 300;
    std::optional<int> safetyDrainTargetPercent_;
    QString statusKey_;
    QString statusText_;
    std::optional<QString> statusArgument_;
    StatusTone statusTone_ = StatusTone::Neutral;
    bool isSyncingReadback_ = false;
    QString batteryGateValue_;
    QString powerStateValue_;
    QString alertValue_;
    QString safetyDrainState_ = QStringLiteral("off");
    std::optional<int> safetyDrainCountdown_;
    QString safetyDrainTargetLabel_ = QStringLiteral("Auto");
    CancelToken pendingBatteryApply_;
    CancelToken drainTimer_;
    bool drainPollInFlight_ = false;
    bool chargeLimitIgnored_ = false;
    std::optional<int> ignoredChargeLimit_;
};

} // namespace vantrel
