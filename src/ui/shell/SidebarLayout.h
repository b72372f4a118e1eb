#pragma once
// The sidebar's pages and groups, and the routing rule of the split view. No widgets here,
// so the composition is tested without a display.
#include <vector>

#include <QString>
#include <QStringList>
#include <QUuid>

namespace vantrel {

namespace page {
inline const QString dashboard = QStringLiteral("dashboard");
inline const QString fanCurve = QStringLiteral("fancurve");
inline const QString power = QStringLiteral("power");
inline const QString sleep = QStringLiteral("sleep");
inline const QString convenience = QStringLiteral("convenience");
inline const QString settings = QStringLiteral("settings");
} // namespace page

struct SidebarItem {
    QString pageId;
    QString title;
    QString symbol;
    QUuid id = QUuid::createUuid();
};

struct SidebarGroup {
    QString title; // may be empty
    std::vector<SidebarItem> items;
    QUuid id = QUuid::createUuid();

    // Appends unless an item for the same page is already in the group.
    void add(SidebarItem item);
};

class SidebarLayout {
public:
    // The six page identifiers, in sidebar order.
    static const QStringList& pageIdentifiers();
    // The page the split view shows for an identifier: itself when known, else the dashboard.
    static QString routedPage(const QString& pageId);

    static SidebarItem item(const QString& pageId, const QString& lang);
    // Groups top to bottom: the dashboard; hardware control (fan curve only with safe fan
    // control, then power and sleep); OS tuning with convenience when shown.
    static std::vector<SidebarGroup> groups(const QString& lang, bool supportsSafeFanControl, bool showConvenienceMenu);
    // The two buttons below the groups.
    static SidebarItem settingsButton(const QString& lang);
    static SidebarItem quitButton(const QString& lang);
};

} // namespace vantrel
