#pragma once
// Starting the application at login: the platform's main-app login item (the older
// registration the app cleans up) and the desktop's own autostart entry.
#include <QString>
#include <QStringList>

namespace vantrel {

class LoginItems {
public:
    enum class Status {
        NotRegistered,
        Enabled,
        RequiresApproval,
        NotFound
    };

    virtual ~LoginItems() = default;
    virtual Status mainAppStatus() const = 0;
    // False with the reason in *error when the service refused.
    virtual bool unregisterMainApp(QString* error) = 0;

    // The entry that starts programArguments at login, named by label. Where the platform
    // starts login programs through launch agents alone, these do nothing and succeed.
    virtual bool installAutostartEntry(const QString& label, const QStringList& programArguments, QString* error) = 0;
    virtual bool removeAutostartEntry(const QString& label, QString* error) = 0;
    virtual bool hasAutostartEntry(const QString& label) const = 0;
};

} // namespace vantrel
