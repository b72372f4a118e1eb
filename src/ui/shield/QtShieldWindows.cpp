#include "ui/shield/QtShieldWindows.h"

#include <QApplication>
#include <QScreen>

#include "ui/shield/ShieldPanel.h"

namespace vantrel {
namespace {

// The connector name; platforms without names (offscreen, some virtual ones) get the screen's position.
QString screenId(const QList<QScreen*>& screens, qsizetype index)
{
    const QString name = screens[index]->name();
    return name.isEmpty() ? QStringLiteral("screen%1").arg(index) : name;
}

} // namespace

QtShieldWindows::QtShieldWindows(BuiltInRule isBuiltIn)
    : isBuiltIn_(std::move(isBuiltIn))
{
    if (!isBuiltIn_)
        isBuiltIn_ = [](const QScreen* screen) { return isPanelConnector(screen->name()); };
}

QtShieldWindows::~QtShieldWindows() { hide(); }

bool QtShieldWindows::isPanelConnector(const QString& screenName)
{
    for (const char* prefix : {"eDP", "LVDS", "DSI"}) {
        if (screenName.startsWith(QLatin1String(prefix), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

std::vector<ShieldScreen> QtShieldWindows::screens() const
{
    std::vector<ShieldScreen> result;
    const QList<QScreen*> all = QApplication::screens();
    for (qsizetype i = 0; i < all.size(); ++i) {
        const QScreen* screen = all[i];
        ShieldScreen entry;
        entry.displayId = screenId(all, i);
        entry.builtIn = isBuiltIn_(screen);
        entry.online = true; // Qt lists connected screens only
        entry.frame = screen->geometry();
        result.push_back(entry);
    }
    return result;
}

int QtShieldWindows::show(const std::vector<ShieldScreen>& screens)
{
    hide();
    QWidget* previouslyActive = QApplication::activeWindow();
    const QList<QScreen*> available = QApplication::screens();
    for (const ShieldScreen& wanted : screens) {
        QScreen* target = nullptr;
        for (qsizetype i = 0; i < available.size() && !target; ++i) {
            if (screenId(available, i) == wanted.displayId)
                target = available[i];
        }
        if (!target)
            continue; // unplugged since it was listed
        auto panel = std::make_unique<ShieldPanel>(target, target->geometry());
        panel->setActivationReturn(previouslyActive);
        panel->orderFrontRegardless();
        panels_.push_back(std::move(panel));
    }
    return static_cast<int>(panels_.size());
}

void QtShieldWindows::hide()
{
    for (const auto& panel : panels_) {
        panel->hide();
        panel->close();
    }
    panels_.clear();
}

} // namespace vantrel
