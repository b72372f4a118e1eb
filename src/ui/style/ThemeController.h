#pragma once
// Applies the "appTheme" choice (system / light / dark) to the whole application and
// re-applies it live when the choice changes, and, for "system", when the desktop's own
// scheme changes: the desktop's stated preference (the XDG portal) where there is one, the
// platform palette otherwise.
#include <functional>

#include <QObject>
#include <QPalette>
#include <QPointer>
#include <QString>

#include "ui/style/DS.h"

namespace vantrel {

class DesktopColorSchemeSetting;
class Preferences;

class ThemeController final : public QObject {
    Q_OBJECT
public:
    static const QString preferenceKey; // "appTheme"

    // desktop: the desktop's light/dark preference (not owned; may be absent).
    explicit ThemeController(Preferences& preferences, DesktopColorSchemeSetting* desktop = nullptr,
                             QObject* parent = nullptr);
    ~ThemeController() override;

    // "light" and "dark" force a scheme; anything else (and "system") follows the system.
    static ColorScheme resolve(const QString& appTheme, ColorScheme system);

    QString appTheme() const;
    ColorScheme scheme() const { return DS::scheme(); }
    // What "system" means now: the desktop's preference when it states one, else the palette.
    ColorScheme systemScheme() const;
    // Stores the choice under "appTheme" and applies it at once.
    void setAppTheme(const QString& appTheme);
    // Re-reads the preference (another screen may have written it) and applies it.
    void apply();
    // Applies a scheme without touching the preference (screenshots).
    void applyScheme(ColorScheme scheme);

    // Reads the platform palette's scheme; the default looks past the palette this class set.
    using PaletteSchemeReader = std::function<ColorScheme()>;
    void setPaletteSchemeReader(PaletteSchemeReader reader);
    static ColorScheme readPlatformPaletteScheme();

    static QPalette paletteFor(ColorScheme scheme);
    static QString styleSheetFor(ColorScheme scheme);

Q_SIGNALS:
    void schemeChanged(vantrel::ColorScheme scheme);

protected:
    // Theme and palette changes of the platform (not this class's own) re-read the palette.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void scheduleSystemReread();
    void rereadSystem();

    Preferences& preferences_;
    QPointer<DesktopColorSchemeSetting> desktop_;
    PaletteSchemeReader readPalette_;
    ColorScheme paletteScheme_;
    bool rereadPending_ = false;
};

} // namespace vantrel
