#pragma once
// The "reload_user_settings" reply when it carries the daemon's canonical settings: status
// "ok" or "partial", "load_status" "loaded" and a "settings" object; anything else is unusable.
#include <optional>

#include <QJsonObject>
#include <QString>

namespace vantrel {

struct ReloadedUserSettings {
    QString status; // "ok" or "partial"
    QJsonObject settings;
    std::optional<QString> code; // why the load was partial

    bool isPartial() const { return status == QStringLiteral("partial"); }
    static std::optional<ReloadedUserSettings> fromReply(const QJsonObject& reply);
    bool operator==(const ReloadedUserSettings&) const = default;
};

} // namespace vantrel
