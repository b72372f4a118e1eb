#include "ui/widgets/AlertBanner.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QToolButton>
#include <QVBoxLayout>

#include "ui/style/DS.h"
#include "ui/widgets/SymbolPainter.h"
#include "ui/widgets/TokenLabel.h"

namespace vantrel {

AlertBanner::AlertBanner(QWidget* parent)
    : QWidget(parent)
    , title_(new TokenLabel(QString(), DSToken::textPri, 14, QFont::DemiBold, this))
    , message_(new TokenLabel(QString(), DSToken::textSec, 12, QFont::Normal, this))
    , close_(new QToolButton(this))
{
    auto* h = new QHBoxLayout(this);
    h->setContentsMargins(46, 12, 10, 12);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(3);
    texts->addWidget(title_);
    texts->addWidget(message_);
    title_->setWordWrap(true);
    message_->setWordWrap(true);
    h->addLayout(texts, 1);
    close_->setText(QStringLiteral("✕"));
    close_->setAutoRaise(true);
    close_->setCursor(Qt::PointingHandCursor);
    h->addWidget(close_, 0, Qt::AlignTop);
    connect(close_, &QToolButton::clicked, this, [this] {
        hide();
        Q_EMIT dismissed();
    });
    hide();
}

void AlertBanner::showAlert(const QString& title, const QString& message, DSToken token)
{
    token_ = token;
    title_->setText(title);
    message_->setText(message);
    show();
    update();
}

QString AlertBanner::title() const { return title_->text(); }
QString AlertBanner::message() const { return message_->text(); }

void AlertBanner::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    p.setPen(QPen(DS::tint(token_, 0.45), 1));
    p.setBrush(DS::tint(token_, DS::isDark() ? 0.18 : 0.09));
    p.drawRoundedRect(r, 12, 12);
    SymbolPainter::paint(p, QStringLiteral("exclamationmark.triangle.fill"), QRectF(14, 13, 22, 22), DS::color(token_));
}

} // namespace vantrel
