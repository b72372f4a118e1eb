#include "ui/shell/SidebarLayout.h"

#include <algorithm>

#include "l10n/L10n.h"

namespace vantrel {

void SidebarGroup::add(SidebarItem item)
{
    const bool present
        = std::any_of(items.begin(), items.end(), [&](const SidebarItem& i) { return i.pageId == item.pageId; });
    if (!present)
        items.push_back(std::move(item));
}

const QStringList& SidebarLayout::pageIdentifiers()
{
    static const QStringList ids
        = {page::dashboard, page::fanCurve, page::power, page::sleep, page::convenience, page::settings};
    return ids;
}

QString SidebarLayout::routedPage(const QString& pageId)
{
    return pageIdentifiers().contains(pageId) ? pageId : page::dashboard;
}

SidebarItem SidebarLayout::item(const QString& pageId, const QString& lang)
{
    const QString id = routedPage(pageId);
    if (id == page::fanCurve)
        return {id, L10n::tr("dcs_fan_curve", lang), QStringLiteral("wind")};
    if (id == page::power)
        return {id, L10n::tr("dcs_power_battery", lang), QStringLiteral("bolt.fill")};
    if (id == page::sleep)
        return {id, L10n::tr("dcs_system_control", lang), QStringLiteral("moon.zzz")};
    if (id == page::convenience)
        return {id, L10n::tr("dcs_convenience", lang), QStringLiteral("wrench.and.screwdriver")};
    if (id == page::settings)
        return {id, L10n::tr("dcs_settings", lang), QStringLiteral("gearshape")};
    return {page::dashboard, L10n::tr("dcs_dashboard", lang), QStringLiteral("gauge.with.dots.needle.33percent")};
}

std::vector<SidebarGroup> SidebarLayout::groups(const QString& lang, bool supportsSafeFanControl,
                                                bool showConvenienceMenu)
{
    std::vector<SidebarGroup> result;

    SidebarGroup overview;
    overview.add(item(page::dashboard, lang));
    result.push_back(std::move(overview));

    SidebarGroup hardware;
    hardware.title = L10n::tr("dcs_hardware_control", lang);
    if (supportsSafeFanControl)
        hardware.add(item(page::fanCurve, lang));
    hardware.add(item(page::power, lang));
    hardware.add(item(page::sleep, lang));
    result.push_back(std::move(hardware));

    if (showConvenienceMenu) {
        SidebarGroup tuning;
        tuning.title = L10n::tr("dcs_os_tuning", lang);
        tuning.add(item(page::convenience, lang));
        result.push_back(std::move(tuning));
    }
    return result;
}

SidebarItem SidebarLayout::settingsButton(const QString& lang) { return item(page::settings, lang); }

SidebarItem SidebarLayout::quitButton(const QString& lang)
{
    // Not a page: the sidebar ends the application when it is pressed.
    return {QString(), L10n::tr("terminate", lang), QStringLiteral("power")};
}

} // namespace vantrel
