#pragma once
// The arguments of "set_cloud_alert_settings", checked the same way by every daemon: alerts
// go only to https:// addresses, at most once a minute and at least once a day.
#include <functional>
#include <variant>

#include <QJsonObject>
#include <QString>

namespace vantrel::daemonserver {

struct CloudAlertSettings {
    bool enabled = false;
    QString userId;
    QString webhookUrl;
    qint64 intervalSeconds = 0;
    // The stored form: "enabled", "user_id", "webhook_url", "interval_seconds".
    QJsonObject toJson() const;
};

std::variant<CloudAlertSettings, QJsonObject> parseCloudAlertRequest(const QJsonObject& request);
// The whole command: keep gets the accepted settings in stored form; the reply names "enabled".
QJsonObject applyCloudAlertRequest(const QJsonObject& request, const std::function<void(const QJsonObject&)>& keep);

} // namespace vantrel::daemonserver
