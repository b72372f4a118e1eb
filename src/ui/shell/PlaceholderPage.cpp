#include "ui/shell/PlaceholderPage.h"

#include <QVBoxLayout>

#include "l10n/L10n.h"
#include "l10n/L10nNotifier.h"
#include "ui/shell/SidebarLayout.h"
#include "ui/widgets/SymbolView.h"
#include "ui/widgets/TokenLabel.h"

namespace vantrel {

PlaceholderPage::PlaceholderPage(const QString& pageId, QWidget* parent)
    : QWidget(parent)
    , pageId_(pageId)
    , title_(new TokenLabel(QString(), DSToken::textPri, 22, QFont::DemiBold, this))
    , message_(new TokenLabel(QString(), DSToken::textSec, 14, QFont::Normal, this))
{
    // A fixed-width column in the middle, so the wrapped note keeps a readable measure.
    auto* column = new QWidget(this);
    column->setFixedWidth(460);
    auto* inner = new QVBoxLayout(column);
    inner->setContentsMargins(0, 0, 0, 0);
    inner->setSpacing(10);
    auto* symbol
        = new SymbolView(SidebarLayout::item(pageId, QStringLiteral("en")).symbol, DSToken::textTer, 44, column);
    inner->addWidget(symbol, 0, Qt::AlignHCenter);
    inner->addSpacing(6);
    title_->setParent(column);
    message_->setParent(column);
    title_->setAlignment(Qt::AlignCenter);
    message_->setAlignment(Qt::AlignCenter);
    message_->setWordWrap(true);
    inner->addWidget(title_);
    inner->addWidget(message_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(40, 40, 40, 40);
    layout->addStretch(2);
    layout->addWidget(column, 0, Qt::AlignHCenter);
    layout->addStretch(3);
    connect(&L10n::notifier(), &L10nNotifier::currentLanguageChanged, this, &PlaceholderPage::retranslate);
    retranslate();
}

void PlaceholderPage::retranslate()
{
    const QString lang = L10n::currentLanguage();
    title_->setText(SidebarLayout::item(pageId_, lang).title);
    message_->setText(L10n::tr("page.coming", lang));
}

QString PlaceholderPage::titleText() const { return title_->text(); }
QString PlaceholderPage::messageText() const { return message_->text(); }

} // namespace vantrel
