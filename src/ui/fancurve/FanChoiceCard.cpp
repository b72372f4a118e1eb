#include "ui/fancurve/FanChoiceCard.h"

#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

#include "l10n/L10n.h"
#include "ui/style/DS.h"
#include "ui/widgets/Badge.h"
#include "ui/widgets/DetailSheet.h"
#include "ui/widgets/SymbolView.h"
#include "ui/widgets/TokenLabel.h"

namespace vantrel {

FanChoiceCard::FanChoiceCard(int cardId, const QString& symbol, QWidget* parent)
    : Card(parent)
    , cardId_(cardId)
    , title_(new TokenLabel(QString(), DSToken::textPri, 15, QFont::DemiBold, this))
    , description_(new TokenLabel(QString(), DSToken::textSec, 12, QFont::Normal, this))
    , badge_(new Badge(this))
    , details_(new QPushButton(this))
{
    setCursor(Qt::PointingHandCursor);
    auto* top = new QHBoxLayout;
    top->setSpacing(8);
    top->addWidget(new SymbolView(symbol, DSToken::blue, 18, this));
    title_->setElideMode(Qt::ElideRight);
    top->addWidget(title_, 1);
    contentLayout()->addLayout(top);
    description_->setWordWrap(true);
    description_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    contentLayout()->addWidget(description_, 1);
    // The mark and the details link share the last line, so three cards fit the narrowest window.
    auto* bottom = new QHBoxLayout;
    bottom->setSpacing(8);
    bottom->addWidget(badge_);
    bottom->addStretch(1);
    details_->setProperty("role", "link");
    details_->setCursor(Qt::PointingHandCursor);
    bottom->addWidget(details_);
    contentLayout()->addLayout(bottom);
    badge_->hide();
    connect(details_, &QPushButton::clicked, this, [this] { Q_EMIT detailsRequested(cardId_); });
}

void FanChoiceCard::setSpec(const FanCardSpec& spec, const QString& selectedText, const QString& detailsText)
{
    title_->setText(spec.title);
    description_->setText(spec.description);
    details_->setText(detailsText);
    selectedText_ = selectedText;
    badge_->setBadge(selectedText_, DSToken::blue);
}

void FanChoiceCard::setSelected(bool selected)
{
    selected_ = selected;
    badge_->setVisible(selected);
    update();
}

void FanChoiceCard::paintEvent(QPaintEvent* event)
{
    Card::paintEvent(event);
    if (!selected_)
        return;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 12, 12);
    p.fillPath(path, DS::tint(DSToken::blue, 0.07));
    p.setPen(QPen(DS::color(DSToken::blue), 2));
    p.drawPath(path);
}

void FanChoiceCard::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        event->accept();
    else
        Card::mousePressEvent(event);
}

void FanChoiceCard::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        event->accept();
        Q_EMIT selectRequested(cardId_);
        return;
    }
    Card::mouseReleaseEvent(event);
}

DetailSheet* FanChoiceCard::makeDetailSheet(const FanCardSpec& spec, const QString& symbol, QWidget* window)
{
    const QString lang = L10n::currentLanguage();
    auto* sheet = new DetailSheet(window);
    sheet->setHeader(symbol, spec.title, spec.description);
    QStringList numbered;
    for (int i = 0; i < spec.steps.size(); ++i)
        numbered << QStringLiteral("%1.  %2").arg(i + 1).arg(spec.steps[i]);
    sheet->addSection(spec.result, numbered.join(QLatin1Char('\n')));
    sheet->setCloseText(L10n::tr(QStringLiteral("common.close"), lang));
    sheet->resize(520, 360);
    return sheet;
}

} // namespace vantrel
