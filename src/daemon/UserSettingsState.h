#pragma once
// The "get_user_settings_state" reply: whether the daemon holds a stored copy of the
// user's settings. A missing or non-boolean "exists" counts as no copy.
#include <QJsonObject>

namespace vantrel {

struct UserSettingsState {
    bool exists = false;

    static UserSettingsState fromReply(const QJsonObject& reply);
    bool operator==(const UserSettingsState&) const = default;
};

} // namespace vantrel
