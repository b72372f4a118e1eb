#pragma once
// The replies both daemons give about the canonical user settings they keep: the state of the
// stored copy, the refusal to restore one that is missing or unreadable, and the reload.
#include <optional>

#include <QJsonObject>
#include <QStringList>

#include "daemonserver/SettingsFile.h"

namespace vantrel::daemonserver {

inline constexpr const char* kUserSettingsSchema = "vantrel_user_settings.v1";

// "get_user_settings_state": whether the stored copy exists and reads, its schema and path.
QJsonObject userSettingsStateReply(const SettingsFile& file);
// The error a reload answers when the stored copy cannot be restored; nothing when it can.
std::optional<QJsonObject> unrestorableSettingsReply(const SettingsFile::Loaded& loaded);
// "reload_user_settings" after restoring: the sections it loaded, and status "partial" with the
// first code of unavailable when the machine cannot run some of them (they stay pending).
QJsonObject reloadedSettingsReply(const QJsonObject& settings, const QStringList& unavailable);

} // namespace vantrel::daemonserver
