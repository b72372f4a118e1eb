#include "ui/style/ThemeController.h"

#include <QApplication>
#include <QEvent>
#include <QStyleFactory>
#include <QWidget>

#include "base/Preferences.h"
#include "ui/style/DesktopColorSchemeSetting.h"

namespace vantrel {

const QString ThemeController::preferenceKey = QStringLiteral("appTheme");

namespace {

QString hex(DSToken token, ColorScheme scheme) { return DS::color(token, scheme).name(QColor::HexRgb); }

// Set while any controller changes the application palette, so that no controller takes its
// own (or another one's) palette for a change of the platform's.
bool settingPalette = false;

class PaletteChange {
public:
    PaletteChange()
        : previous_(settingPalette)
    {
        settingPalette = true;
    }
    ~PaletteChange() { settingPalette = previous_; }
    PaletteChange(const PaletteChange&) = delete;
    PaletteChange& operator=(const PaletteChange&) = delete;

private:
    bool previous_;
};

ColorScheme schemeOf(const QPalette& palette)
{
    return palette.color(QPalette::Window).lightness() < 128 ? ColorScheme::dark : ColorScheme::light;
}

} // namespace

ThemeController::ThemeController(Preferences& preferences, DesktopColorSchemeSetting* desktop, QObject* parent)
    : QObject(parent)
    , preferences_(preferences)
    , desktop_(desktop)
    , readPalette_(&ThemeController::readPlatformPaletteScheme)
    , paletteScheme_(readPlatformPaletteScheme())
{
    // Fusion draws the same on every desktop, so the palette alone decides the look.
    if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion")))
        QApplication::setStyle(fusion);
    if (desktop_)
        connect(desktop_, &DesktopColorSchemeSetting::preferenceChanged, this, &ThemeController::apply);
    if (QCoreApplication* app = QCoreApplication::instance())
        app->installEventFilter(this);
}

ThemeController::~ThemeController() = default;

ColorScheme ThemeController::readPlatformPaletteScheme()
{
    if (!QCoreApplication::testAttribute(Qt::AA_SetPalette))
        return schemeOf(QGuiApplication::palette());
    // The application palette is ours: drop it for a moment to see the platform's beneath it.
    PaletteChange change;
    const QPalette ours = QGuiApplication::palette();
    QApplication::setPalette(QPalette());
    const ColorScheme platform = schemeOf(QGuiApplication::palette());
    QApplication::setPalette(ours);
    return platform;
}

void ThemeController::setPaletteSchemeReader(PaletteSchemeReader reader)
{
    readPalette_ = reader ? std::move(reader) : PaletteSchemeReader(&ThemeController::readPlatformPaletteScheme);
    paletteScheme_ = readPalette_();
}

ColorScheme ThemeController::systemScheme() const
{
    if (desktop_)
        if (const auto preference = desktop_->preference())
            return *preference;
    return paletteScheme_;
}

bool ThemeController::eventFilter(QObject* watched, QEvent* event)
{
    // Only a theme change from the platform can mean a new system scheme. Palette-change
    // events also follow our own palette changes (reading the platform's palette sets it
    // twice) and some arrive after the guard is gone, so re-reading on them never settles
    // and kept the event loop busy.
    if (event->type() == QEvent::ThemeChange && !settingPalette)
        scheduleSystemReread();
    return QObject::eventFilter(watched, event);
}

void ThemeController::scheduleSystemReread()
{
    // A theme change reaches every window; one re-read after them is enough.
    if (rereadPending_)
        return;
    rereadPending_ = true;
    QMetaObject::invokeMethod(this, &ThemeController::rereadSystem, Qt::QueuedConnection);
}

void ThemeController::rereadSystem()
{
    rereadPending_ = false;
    const ColorScheme platform = readPalette_();
    if (platform == paletteScheme_)
        return;
    paletteScheme_ = platform;
    apply();
}

ColorScheme ThemeController::resolve(const QString& appTheme, ColorScheme system)
{
    if (appTheme == QStringLiteral("light"))
        return ColorScheme::light;
    if (appTheme == QStringLiteral("dark"))
        return ColorScheme::dark;
    return system;
}

QString ThemeController::appTheme() const { return preferences_.stringValue(preferenceKey, QStringLiteral("system")); }

void ThemeController::setAppTheme(const QString& appTheme)
{
    preferences_.setValue(preferenceKey, appTheme);
    apply();
}

void ThemeController::apply() { applyScheme(resolve(appTheme(), systemScheme())); }

void ThemeController::applyScheme(ColorScheme scheme)
{
    const bool changed = DS::scheme() != scheme;
    DS::setScheme(scheme);
    PaletteChange change;
    QApplication::setPalette(paletteFor(scheme));
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance()))
        app->setStyleSheet(styleSheetFor(scheme));
    // Custom-painted widgets read DS when they paint; make every visible one repaint.
    for (QWidget* w : QApplication::topLevelWidgets())
        w->update();
    if (changed)
        Q_EMIT schemeChanged(scheme);
}

QPalette ThemeController::paletteFor(ColorScheme s)
{
    QPalette p;
    const QColor bg = DS::color(DSToken::bg, s);
    const QColor card = DS::color(DSToken::card, s);
    const QColor text = DS::color(DSToken::textPri, s);
    const QColor disabled = DS::color(DSToken::textDisabled, s);
    p.setColor(QPalette::Window, bg);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, card);
    p.setColor(QPalette::AlternateBase, DS::color(DSToken::interactiveSurface, s));
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, DS::color(DSToken::interactiveSurface, s));
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::BrightText, DS::color(DSToken::red, s));
    p.setColor(QPalette::Highlight, DS::color(DSToken::blue, s));
    p.setColor(QPalette::HighlightedText, QColor(Qt::white));
    p.setColor(QPalette::Link, DS::color(DSToken::blue, s));
    p.setColor(QPalette::PlaceholderText, DS::color(DSToken::textTer, s));
    p.setColor(QPalette::ToolTipBase, card);
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::Mid, DS::color(DSToken::divider, s));
    p.setColor(QPalette::Dark, DS::color(DSToken::interactiveBorder, s));
    p.setColor(QPalette::Light, card);
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, disabled);
    return p;
}

QString ThemeController::styleSheetFor(ColorScheme s)
{
    // Text roles are set as the "role" property of labels and buttons.
    QString sheet = QStringLiteral(R"(
QLabel { background: transparent; }
QLabel[role="pageTitle"] { font-size: 22px; font-weight: 600; }
QLabel[role="pageSubtitle"] { color: %textSec; font-size: 13px; }
QLabel[role="cardTitle"] { color: %textSec; font-size: 12px; font-weight: 600; }
QLabel[role="secondary"] { color: %textSec; }
QLabel[role="caption"] { color: %textTer; font-size: 11px; }
QLabel[role="sectionTitle"] { font-size: 14px; font-weight: 600; }
QLabel[role="body"] { color: %textSec; font-size: 13px; }
QPushButton {
  color: %textPri; background: %surface; border: 1px solid %border;
  border-radius: 7px; padding: 5px 14px; font-size: 13px;
}
QPushButton:hover { border-color: %textTer; }
QPushButton:pressed { background: %divider; }
QPushButton:disabled { color: %textDisabled; }
QPushButton[role="primary"] { color: white; background: %blue; border-color: %blue; }
QPushButton[role="destructive"] { color: %red; }
QPushButton[role="link"] { color: %blue; background: transparent; border: none; padding: 2px 4px; }
QScrollArea, QScrollArea > QWidget > QWidget { background: transparent; border: none; }
QScrollBar:vertical { background: transparent; width: 10px; margin: 2px; }
QScrollBar::handle:vertical { background: %border; border-radius: 3px; min-height: 30px; }
QScrollBar::add-line, QScrollBar::sub-line { height: 0; width: 0; }
QScrollBar::add-page, QScrollBar::sub-page { background: transparent; }
QToolTip { color: %textPri; background: %card; border: 1px solid %border; padding: 4px; }
QDialog { background: %bg; }
)");
    const std::pair<const char*, DSToken> names[] = {
        {"%textPri", DSToken::textPri},
        {"%textSec", DSToken::textSec},
        {"%textTer", DSToken::textTer},
        {"%textDisabled", DSToken::textDisabled},
        {"%surface", DSToken::interactiveSurface},
        {"%border", DSToken::interactiveBorder},
        {"%divider", DSToken::divider},
        {"%blue", DSToken::blue},
        {"%red", DSToken::red},
        {"%card", DSToken::card},
        {"%bg", DSToken::bg},
    };
    for (const auto& [name, token] : names)
        sheet.replace(QLatin1String(name), hex(token, s));
    return sheet;
}

} // namespace vantrel
