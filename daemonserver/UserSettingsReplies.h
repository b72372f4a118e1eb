#pragma once
// The replies both daemons give about the canonical user settings they keep: the state of the
// stored copy, and the refusal to restore one that is missing or unreadable.
#include <optional>

#include <QJsonObject>

#include "daemonserver/SettingsFile.h"

namespace vantrel::daemonserver {

inline constexpr const char* kUserSettingsSchema = "vantrel_user_settings.v1";

// "get_user_settings_state": whether the stored copy exists and reads, its schema and path.
QJsonObject userSettingsStateReply(const SettingsFile& file);
// The error a reload answers when the stored copy cannot be restored; nothing when it can.
std::optional<QJsonObject> unrestorableSettingsReply(const SettingsFile::Loaded& loaded);

} // namespace vantrel::daemonserver
