#include "ui/widgets/FeatureDetailModal.h"

#include <algorithm>

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "l10n/L10n.h"
#include "ui/widgets/Card.h"
#include "ui/widgets/TokenLabel.h"

namespace vantrel {

FeatureDetailModal::FeatureDetailModal(FeatureSpec spec, QWidget* parent)
    : DetailSheet(parent)
    , spec_(std::move(spec))
    , heading_(new TokenLabel(QString(), DSToken::textPri, 15, QFont::DemiBold))
    , body_(new TokenLabel(QString(), DSToken::textSec, 13, QFont::Normal))
    , previous_(new QPushButton)
    , next_(new QPushButton)
{
    resize(520, 420);
    const QString lang = L10n::currentLanguage();
    setHeader(QStringLiteral("list.bullet"), L10n::tr(spec_.title, lang), L10n::tr(spec_.uiLabel, lang));
    setCloseText(L10n::tr(QStringLiteral("common.close"), lang));

    auto* card = new Card;
    body_->setWordWrap(true);
    body_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    card->contentLayout()->addWidget(heading_);
    card->contentLayout()->addWidget(body_);
    contentLayout()->addWidget(card);

    auto* steps = new QHBoxLayout;
    previous_->setText(L10n::tr(QStringLiteral("common.previous"), lang));
    next_->setText(L10n::tr(QStringLiteral("common.next"), lang));
    steps->addWidget(previous_);
    steps->addStretch(1);
    steps->addWidget(next_);
    contentLayout()->addLayout(steps);
    connect(previous_, &QPushButton::clicked, this, [this] { goTo(page_ - 1); });
    connect(next_, &QPushButton::clicked, this, [this] { goTo(page_ + 1); });
    showPage();
}

void FeatureDetailModal::goTo(int page)
{
    page_ = std::clamp(page, 0, pageCount() - 1);
    showPage();
}

QString FeatureDetailModal::heading() const { return heading_->text(); }

QString FeatureDetailModal::body() const { return body_->text(); }

void FeatureDetailModal::showPage()
{
    const QString lang = L10n::currentLanguage();
    const int steps = pageCount() - 1;
    if (showsResult()) {
        heading_->setText(L10n::tr(QStringLiteral("detail.final_result"), lang));
        body_->setText(L10n::tr(spec_.result, lang));
    } else {
        heading_->setText(L10n::formatList(QStringLiteral("feature.detail.step"),
                                           {QString::number(page_ + 1), QString::number(steps)}, lang));
        body_->setText(L10n::tr(spec_.modal.value(page_), lang));
    }
    previous_->setEnabled(page_ > 0);
    next_->setEnabled(!showsResult());
}

} // namespace vantrel
