#include "ui/convenience/ConveniencePage.h"

#include <QVBoxLayout>

#include "l10n/L10n.h"
#include "l10n/L10nNotifier.h"
#include "tweaks/FeatureCatalogue.h"
#include "ui/convenience/ConvenienceContractPanel.h"
#include "ui/widgets/Card.h"
#include "ui/widgets/FeatureRow.h"
#include "ui/widgets/ScrollingPage.h"
#include "ui/widgets/TokenLabel.h"

namespace vantrel {

ConveniencePage::ConveniencePage(QWidget* parent)
    : QWidget(parent)
{
    const ScrollingPage scrolling(this);
    QWidget* content = scrolling.content();
    QVBoxLayout* page = scrolling.column({28, 24, 28, 28}, 14);

    title_ = new TokenLabel(QString(), DSToken::textPri, 24, QFont::Bold, content);
    title_->setElideMode(Qt::ElideRight);
    subtitle_ = new TokenLabel(QString(), DSToken::textSec, 13, QFont::Normal, content);
    subtitle_->setWordWrap(true);
    auto* titles = new QVBoxLayout;
    titles->setSpacing(2);
    titles->addWidget(title_);
    titles->addWidget(subtitle_);
    page->addLayout(titles);

    panel_ = new ConvenienceContractPanel(content);
    page->addWidget(panel_);

    auto* list = new Card(content);
    list->contentLayout()->setSpacing(6);
    for (const FeatureSpec& spec : specs()) {
        const int id = spec.id;
        auto* row = new FeatureRow(spec, list);
        row->setRowDisabled(true);
        row->setConnectionLabel(QString::fromLatin1(connectionLabel));
        row->setOn(toggles_[id]);
        // The switch is disabled; a request could only change this page's own memory.
        connect(row, &FeatureRow::toggleRequested, this, [this, id](bool on) {
            toggles_[id] = on;
            rows_[id]->setOn(on);
        });
        list->contentLayout()->addWidget(row);
        rows_[id] = row;
    }
    page->addWidget(list);
    page->addStretch(1);

    connect(&L10n::notifier(), &L10nNotifier::currentLanguageChanged, this, &ConveniencePage::retranslate);
    retranslate();
}

const std::vector<FeatureSpec>& ConveniencePage::specs() { return FeatureCatalogue::convenienceSpecs(); }

FeatureRow* ConveniencePage::row(int id) const
{
    const auto it = rows_.find(id);
    return it == rows_.end() ? nullptr : it->second;
}

std::vector<FeatureRow*> ConveniencePage::rows() const
{
    std::vector<FeatureRow*> list;
    for (const FeatureSpec& spec : specs())
        list.push_back(row(spec.id));
    return list;
}

FeatureDetailModal* ConveniencePage::openDetail(int id)
{
    FeatureRow* r = row(id);
    return r ? r->openDetail() : nullptr;
}

void ConveniencePage::retranslate()
{
    const QString lang = L10n::currentLanguage();
    title_->setText(L10n::tr(QStringLiteral("dcs_convenience"), lang));
    subtitle_->setText(L10n::tr(QStringLiteral("convenience.page.subtitle"), lang));
    panel_->retranslate();
    for (auto& [id, row] : rows_)
        row->retranslate();
}

} // namespace vantrel
