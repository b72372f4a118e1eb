#pragma once
// "get_user_settings_state" and "reload_user_settings" for a daemon that keeps the canonical
// user settings in a SettingsFile: the state of the stored copy, and a reload that puts it back
// into force through the daemon's own restore (which returns the codes of what it cannot run).
#include <functional>

#include <QJsonObject>
#include <QStringList>

#include "daemonserver/CommandTable.h"
#include "daemonserver/SettingsFile.h"
#include "daemonserver/UserSettingsReplies.h"

namespace vantrel::daemonserver {

template <typename Context>
void addUserSettingsCommands(CommandTable<Context>& table, SettingsFile Context::*file,
                             std::function<QStringList(Context&, const QJsonObject& settings)> restore)
{
    table.add(
        QStringLiteral("get_user_settings_state"),
        [file](Context& ctx, const QJsonObject&) { return userSettingsStateReply(ctx.*file); }, false);
    table.add(QStringLiteral("reload_user_settings"), [file, restore](Context& ctx, const QJsonObject&) {
        const auto loaded = (ctx.*file).load();
        if (auto refusal = unrestorableSettingsReply(loaded))
            return *refusal;
        return reloadedSettingsReply(loaded.settings, restore(ctx, loaded.settings));
    });
}

} // namespace vantrel::daemonserver
