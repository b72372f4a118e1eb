#include "app/StatusItem.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMenu>

namespace vantrel {

StatusItem::StatusItem(const QIcon& icon, const QString& toolTip, QObject* parent)
    : QObject(parent)
{
    tray_.setIcon(icon);
    tray_.setToolTip(toolTip);
    connect(&tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        const Click click = clickFor(reason, QGuiApplication::queryKeyboardModifiers());
        if (click != Click::None || reason == QSystemTrayIcon::Unknown)
            statusItemClicked(click);
    });
}

StatusItem::~StatusItem() = default;

bool StatusItem::install(bool trayAvailable)
{
    if (!trayAvailable)
        return false;
    tray_.show();
    return true;
}

bool StatusItem::isInstalled() const { return tray_.isVisible(); }

StatusItem::Click StatusItem::clickFor(QSystemTrayIcon::ActivationReason reason, Qt::KeyboardModifiers modifiers)
{
    switch (reason) {
    case QSystemTrayIcon::Context:
        return Click::Secondary;
    case QSystemTrayIcon::Trigger:
    case QSystemTrayIcon::MiddleClick:
        return modifiers.testFlag(Qt::ControlModifier) ? Click::PrimaryWithControl : Click::Primary;
    case QSystemTrayIcon::DoubleClick:
    case QSystemTrayIcon::Unknown:
        break;
    }
    return Click::None;
}

void StatusItem::statusItemClicked(Click click)
{
    if (click == Click::Secondary || click == Click::PrimaryWithControl)
        openMenu();
    else
        Q_EMIT toggleRequested();
}

std::unique_ptr<QMenu> StatusItem::makeMenu()
{
    auto menu = std::make_unique<QMenu>();
    connect(menu->addAction(QStringLiteral("Show Vantrel")), &QAction::triggered, this, &StatusItem::showRequested);
    menu->addSeparator();
    QAction* hide = menu->addAction(QStringLiteral("Hide Vantrel"));
    hide->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(hide, &QAction::triggered, this, &StatusItem::hideRequested);
    return menu;
}

void StatusItem::openMenu()
{
    // The menu exists only while it is open.
    QMenu* menu = makeMenu().release();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(QCursor::pos());
}

} // namespace vantrel
