#include "ui/shell/MainSplitView.h"

#include <QHBoxLayout>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "base/Preferences.h"
#include "ui/shell/PlaceholderPage.h"
#include "ui/shell/SettingsWriteNotice.h"
#include "ui/shell/SidebarLayout.h"
#include "ui/shell/VantrelSidebar.h"

namespace vantrel {

MainSplitView::MainSplitView(UiContext context, std::map<QString, PageFactory> factories, QWidget* parent)
    : QWidget(parent)
    , context_(std::move(context))
    , factories_(std::move(factories))
    , sidebar_(new VantrelSidebar(*context_.state, showConvenienceMenu, this))
    , stack_(new QStackedWidget(this))
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(sidebar_);
    // The pages with, above them, the line that says when the settings cannot be saved.
    auto* content = new QVBoxLayout;
    content->setContentsMargins(0, 0, 0, 0);
    content->setSpacing(0);
    if (context_.preferences) {
        writeNotice_ = new SettingsWriteNotice(context_.preferences->writeState(), this);
        content->addWidget(writeNotice_);
    }
    content->addWidget(stack_, 1);
    layout->addLayout(content, 1);
    connect(sidebar_, &VantrelSidebar::pageSelected, this, &MainSplitView::setSelectedPage);
    connect(sidebar_, &VantrelSidebar::quitRequested, this, [this] {
        if (context_.quit)
            context_.quit();
    });
    setSelectedPage(page::dashboard);
}

void MainSplitView::setSelectedPage(const QString& pageId)
{
    const QString routed = SidebarLayout::routedPage(pageId);
    if (routed == selected_ && stack_->currentWidget())
        return;
    selected_ = routed;
    stack_->setCurrentWidget(pageFor(routed));
    sidebar_->setSelectedPage(routed);
    Q_EMIT selectedPageChanged(routed);
}

QWidget* MainSplitView::pageFor(const QString& pageId)
{
    if (auto it = pages_.find(pageId); it != pages_.end())
        return it->second;
    QWidget* page = nullptr;
    if (auto f = factories_.find(pageId); f != factories_.end() && f->second) {
        PageNavigator navigate = [this](const QString& id) { setSelectedPage(id); };
        page = f->second(context_, navigate, stack_);
    }
    if (!page)
        page = new PlaceholderPage(pageId, stack_);
    stack_->addWidget(page);
    pages_[pageId] = page;
    return page;
}

QWidget* MainSplitView::currentPage() const { return stack_->currentWidget(); }

QWidget* MainSplitView::builtPage(const QString& pageId) const
{
    const auto it = pages_.find(pageId);
    return it == pages_.end() ? nullptr : it->second;
}

} // namespace vantrel
