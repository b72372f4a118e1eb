#pragma once
// The menu-bar status item as a system tray icon: a plain click toggles the main window,
// a right click (or a click with Control held) opens a small menu built fresh each time.
#include <memory>

#include <QIcon>
#include <QObject>
#include <QSystemTrayIcon>

class QMenu;

namespace vantrel {

class StatusItem final : public QObject {
    Q_OBJECT
public:
    enum class Click {
        None,
        Primary,
        Secondary,
        PrimaryWithControl
    };

    StatusItem(const QIcon& icon, const QString& toolTip, QObject* parent = nullptr);
    ~StatusItem() override;

    // Shows the icon when the desktop has a tray (trayAvailable); false when it has none.
    bool install(bool trayAvailable);
    bool isInstalled() const;
    QSystemTrayIcon& trayIcon() { return tray_; }

    // Toggle for a plain click (or no event at all), the menu for a secondary or control click.
    void statusItemClicked(Click click);
    // "Show Vantrel", a separator, "Hide Vantrel" (Ctrl+Q), owned by the caller.
    std::unique_ptr<QMenu> makeMenu();
    // How a tray activation reads as a click; a double click's two presses were already seen.
    static Click clickFor(QSystemTrayIcon::ActivationReason reason, Qt::KeyboardModifiers modifiers);

Q_SIGNALS:
    void toggleRequested();
    void showRequested();
    void hideRequested();

private:
    void openMenu();

    QSystemTrayIcon tray_;
};

} // namespace vantrel
