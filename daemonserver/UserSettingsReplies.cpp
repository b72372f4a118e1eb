#include "daemonserver/UserSettingsReplies.h"

#include "daemonserver/Replies.h"

namespace vantrel::daemonserver {

QJsonObject userSettingsStateReply(const SettingsFile& file)
{
    const auto loaded = file.load();
    return okReply({{QStringLiteral("exists"), loaded.status != SettingsFile::LoadStatus::Missing},
                    {QStringLiteral("valid"), loaded.status == SettingsFile::LoadStatus::Loaded},
                    {QStringLiteral("schema_version"), QLatin1String(kUserSettingsSchema)},
                    {QStringLiteral("path"), file.path()}});
}

std::optional<QJsonObject> unrestorableSettingsReply(const SettingsFile::Loaded& loaded)
{
    if (loaded.status == SettingsFile::LoadStatus::Missing)
        return errorReply(QStringLiteral("ERR_USER_SETTINGS_NOT_FOUND"), QStringLiteral("No user settings are stored."),
                          {{QStringLiteral("load_status"), QStringLiteral("missing")}});
    if (loaded.status == SettingsFile::LoadStatus::Invalid)
        return errorReply(QStringLiteral("ERR_USER_SETTINGS_INVALID"),
                          QStringLiteral("The stored user settings cannot be read: ") + loaded.error,
                          {{QStringLiteral("load_status"), QStringLiteral("invalid")}});
    return std::nullopt;
}

QJsonObject reloadedSettingsReply(const QJsonObject& loaded, const QStringList& unavailable)
{
    QJsonObject settings;
    for (const char* section : {"schema_version", "fan", "battery", "sleep"})
        if (loaded.contains(QLatin1String(section)))
            settings.insert(QLatin1String(section), loaded.value(QLatin1String(section)));
    QJsonObject reply{{QStringLiteral("load_status"), QStringLiteral("loaded")},
                      {QStringLiteral("settings"), settings}};
    if (unavailable.isEmpty())
        return okReply(reply);
    reply.insert(QStringLiteral("status"), QStringLiteral("partial"));
    reply.insert(QStringLiteral("code"), unavailable.first());
    return reply;
}

} // namespace vantrel::daemonserver
