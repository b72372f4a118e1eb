#pragma once
// The application's preferences, read but never written: vantrelctl only looks up the
// choices the application sends along with a command (smart app presets, the sleep cut-off).
#include "base/Preferences.h"

namespace vantrel {

class ReadOnlyPreferences final : public Preferences {
public:
    explicit ReadOnlyPreferences(const QString& filePath)
        : file_(filePath)
    { }
    bool exists(const QString& key) const override { return file_.exists(key); }
    QVariant value(const QString& key) const override { return file_.value(key); }
    void setValue(const QString&, const QVariant&) override { }
    void remove(const QString&) override { }

private:
    SettingsFilePreferences file_;
};

} // namespace vantrel
