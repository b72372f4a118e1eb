#include "ui/shell/VantrelSidebar.h"

#include <QPainter>
#include <QVBoxLayout>

#include "l10n/L10n.h"
#include "l10n/L10nNotifier.h"
#include "ui/shell/SidebarRow.h"
#include "ui/shell/UiState.h"
#include "ui/style/DS.h"
#include "ui/widgets/TokenLabel.h"

namespace vantrel {

VantrelSidebar::VantrelSidebar(UiState& state, bool showConvenienceMenu, QWidget* parent)
    : QWidget(parent)
    , state_(state)
    , showConvenienceMenu_(showConvenienceMenu)
{
    setFixedWidth(220);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    connect(&state_, &UiState::capabilitiesChanged, this, &VantrelSidebar::rebuild);
    connect(&L10n::notifier(), &L10nNotifier::currentLanguageChanged, this, &VantrelSidebar::rebuild);
    rebuild();
}

void VantrelSidebar::rebuild()
{
    const QString lang = L10n::currentLanguage();
    groups_ = SidebarLayout::groups(lang, state_.supportsSafeFanControl(), showConvenienceMenu_);
    rows_.clear();
    if (content_) {
        content_->hide();
        content_->deleteLater();
    }
    content_ = new QWidget(this);
    layout()->addWidget(content_);

    auto* layout = new QVBoxLayout(content_);
    layout->setContentsMargins(10, 18, 10, 12);
    layout->setSpacing(1);

    auto* brand = new TokenLabel(QStringLiteral("Vantrel"), DSToken::textPri, 17, QFont::Bold, content_);
    brand->setContentsMargins(10, 0, 0, 10);
    layout->addWidget(brand);

    for (const SidebarGroup& group : groups_) {
        if (!group.title.isEmpty()) {
            auto* header = new TokenLabel(group.title, DSToken::textTer, 11, QFont::DemiBold, content_);
            header->setContentsMargins(10, 14, 0, 4);
            layout->addWidget(header);
        }
        for (const SidebarItem& item : group.items)
            addRow(layout, item);
    }
    layout->addStretch(1);
    addRow(layout, SidebarLayout::settingsButton(lang));
    quitRow_ = addRow(layout, SidebarLayout::quitButton(lang));
    connect(quitRow_, &SidebarRow::clicked, this, &VantrelSidebar::quitRequested);
    setSelectedPage(selectedPage_);
}

SidebarRow* VantrelSidebar::addRow(QVBoxLayout* layout, const SidebarItem& item)
{
    auto* row = new SidebarRow(item.pageId, item.symbol, item.title, content_);
    layout->addWidget(row);
    if (!item.pageId.isEmpty()) {
        rows_.push_back(row);
        connect(row, &SidebarRow::clicked, this, [this, id = item.pageId] { Q_EMIT pageSelected(id); });
    }
    return row;
}

void VantrelSidebar::setSelectedPage(const QString& pageId)
{
    selectedPage_ = pageId;
    for (SidebarRow* row : rows_)
        row->setSelected(row->pageId() == pageId);
}

SidebarRow* VantrelSidebar::row(const QString& pageId) const
{
    for (SidebarRow* row : rows_)
        if (row->pageId() == pageId)
            return row;
    return nullptr;
}

void VantrelSidebar::paintEvent(QPaintEvent*)
{
    // A slightly deeper tone than the page, with a hairline at the right edge.
    QPainter p(this);
    QColor fill = DS::color(DSToken::bg);
    fill = DS::isDark() ? fill.lighter(118) : fill.darker(104);
    p.fillRect(rect(), fill);
    p.setPen(DS::color(DSToken::divider));
    p.drawLine(width() - 1, 0, width() - 1, height());
}

} // namespace vantrel
