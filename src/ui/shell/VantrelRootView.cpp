#include "ui/shell/VantrelRootView.h"

#include <QVBoxLayout>

#include "l10n/L10n.h"
#include "l10n/L10nNotifier.h"
#include "sensors/HardwareCapabilityStore.h"
#include "ui/convenience/ConveniencePage.h"
#include "ui/dashboard/DashboardPage.h"
#include "ui/fancurve/FanCurvePage.h"
#include "ui/power/PowerPage.h"
#include "ui/settings/SettingsPage.h"
#include "ui/shell/MainSplitView.h"
#include "ui/shell/PlaceholderPage.h"
#include "ui/shell/SidebarLayout.h"
#include "ui/sleep/SleepPage.h"
#include "ui/style/ThemeController.h"
#include "ui/style/Typography.h"

namespace vantrel {

VantrelRootView::VantrelRootView(UiContext context, std::map<QString, PageFactory> extraPages, QWidget* parent)
    : QWidget(parent)
    , context_(std::move(context))
{
    if (!context_.theme) {
        ownTheme_ = std::make_unique<ThemeController>(*context_.preferences, context_.desktopColorScheme);
        context_.theme = ownTheme_.get();
    }
    context_.theme->apply();
    Typography::applyLanguage(L10n::currentLanguage());
    connect(&L10n::notifier(), &L10nNotifier::currentLanguageChanged, this,
            [](const QString& lang) { Typography::applyLanguage(lang); });

    std::map<QString, PageFactory> pages = builtInPages();
    for (auto& [id, factory] : extraPages)
        pages[id] = std::move(factory);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    split_ = new MainSplitView(context_, std::move(pages), this);
    layout->addWidget(split_);
    setMinimumSize(900, 600);

    // The sidebar and the pages read the capability store; ask the daemon afresh now that
    // they are on screen (a refresh already running serves this request too).
    if (context_.capabilities)
        context_.capabilities->refresh();
}

VantrelRootView::~VantrelRootView() = default;

std::map<QString, PageFactory> VantrelRootView::builtInPages()
{
    return {
        {page::dashboard,
         [](const UiContext& context, const PageNavigator& navigate, QWidget* parent) -> QWidget* {
             return new DashboardPage(context, navigate, parent);
         }},
        {page::fanCurve,
         [](const UiContext& context, const PageNavigator&, QWidget* parent) -> QWidget* {
             if (!context.fan.isComplete())
                 return new PlaceholderPage(page::fanCurve, parent);
             return new FanCurvePage(context, parent);
         }},
        {page::power,
         [](const UiContext& context, const PageNavigator& navigate, QWidget* parent) -> QWidget* {
             return new PowerPage(context, navigate, parent);
         }},
        {page::settings,
         [](const UiContext& context, const PageNavigator&, QWidget* parent) -> QWidget* {
             return new SettingsPage(context, parent);
         }},
        {page::sleep,
         [](const UiContext& context, const PageNavigator&, QWidget* parent) -> QWidget* {
             if (!context.sleepControls)
                 return new PlaceholderPage(page::sleep, parent);
             return new SleepPage(context, context.sleepControls, parent);
         }},
        {page::convenience,
         [](const UiContext&, const PageNavigator&, QWidget* parent) -> QWidget* {
             return new ConveniencePage(parent);
         }},
    };
}

} // namespace vantrel
