#pragma once
// Launch at login through an XDG autostart entry ("<label>.desktop" in the autostart folder).
// The desktop has no separate main-app login item, so that one always reads as not registered.
#include "platform/LoginItems.h"

namespace vantrel {

class LinuxLoginItems final : public LoginItems {
public:
    explicit LinuxLoginItems(QString autostartDirectory, QString displayName = QStringLiteral("Vantrel"));

    Status mainAppStatus() const override { return Status::NotRegistered; }
    bool unregisterMainApp(QString*) override { return true; }
    bool installAutostartEntry(const QString& label, const QStringList& programArguments, QString* error) override;
    bool removeAutostartEntry(const QString& label, QString* error) override;
    bool hasAutostartEntry(const QString& label) const override;

    QString entryPath(const QString& label) const;
    // The entry's text: a hidden-from-menus application entry whose Exec line runs the arguments.
    QByteArray entryText(const QStringList& programArguments) const;
    // Quotes arguments for an Exec key as the desktop entry format wants them, string escapes included.
    static QString execLine(const QStringList& programArguments);

private:
    QString directory_;
    QString displayName_;
};

} // namespace vantrel
