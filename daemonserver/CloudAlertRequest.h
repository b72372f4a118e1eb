#pragma once
// The arguments of "set_cloud_alert_settings", checked the same way by every daemon: alerts
// go only to https:// addresses, at most once a minute and at least once a day.
#include <functional>
#include <variant>

#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include "daemonserver/CommandTable.h"
#include "daemonserver/Replies.h"

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

// Registers "set_cloud_alert_settings" and "clear_cloud_alert_settings": the accepted settings
// (an empty object when cleared) go to the context's kept copy and to its daemon settings
// under "cloud_alerts".
template <typename Context>
void addCloudAlertCommands(CommandTable<Context>& table, QJsonObject Context::*kept,
                           void (Context::*store)(const QString& section, const QJsonValue& value), bool changesState)
{
    const auto keep = [kept, store](Context& ctx, const QJsonObject& alerts) {
        ctx.*kept = alerts;
        (ctx.*store)(QStringLiteral("cloud_alerts"), alerts);
    };
    table.add(
        QStringLiteral("set_cloud_alert_settings"),
        [keep](Context& ctx, const QJsonObject& request) {
        return applyCloudAlertRequest(request, [&](const QJsonObject& alerts) { keep(ctx, alerts); });
        },
        changesState);
    table.add(
        QStringLiteral("clear_cloud_alert_settings"),
        [keep](Context& ctx, const QJsonObject&) {
        keep(ctx, QJsonObject{});
        return okReply();
        },
        changesState);
}

} // namespace vantrel::daemonserver
