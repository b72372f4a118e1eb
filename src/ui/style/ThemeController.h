#pragma once
// Applies the "appTheme" choice (system / light / dark) to the whole application and
// re-applies it live when the choice changes.
#include <QObject>
#include <QPalette>
#include <QString>

#include "ui/style/DS.h"

namespace vantrel {

class Preferences;

class ThemeController final : public QObject {
    Q_OBJECT
public:
    static const QString preferenceKey; // "appTheme"

    // Takes the system's own scheme from the application palette as it stands now, so
    // create this before anything else changes the palette.
    explicit ThemeController(Preferences& preferences, QObject* parent = nullptr);

    // "light" and "dark" force a scheme; anything else (and "system") follows the system.
    static ColorScheme resolve(const QString& appTheme, ColorScheme system);

    QString appTheme() const;
    ColorScheme scheme() const { return DS::scheme(); }
    // Stores the choice under "appTheme" and applies it at once.
    void setAppTheme(const QString& appTheme);
    // Re-reads the preference (another screen may have written it) and applies it.
    void apply();
    // Applies a scheme without touching the preference (screenshots).
    void applyScheme(ColorScheme scheme);

    static QPalette paletteFor(ColorScheme scheme);
    static QString styleSheetFor(ColorScheme scheme);

Q_SIGNALS:
    void schemeChanged(vantrel::ColorScheme scheme);

private:
    Preferences& preferences_;
    ColorScheme systemScheme_;
};

} // namespace vantrel
