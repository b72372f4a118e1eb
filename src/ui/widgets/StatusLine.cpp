#include "ui/widgets/StatusLine.h"

#include <QHBoxLayout>
#include <QPainter>

#include "ui/style/DS.h"
#include "ui/widgets/TokenLabel.h"

namespace vantrel {

StatusLine::StatusLine(QWidget* parent)
    : QWidget(parent)
    , label_(new TokenLabel(QString(), DSToken::textPri, 12, QFont::Medium, this))
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(26, 7, 12, 7);
    layout->addWidget(label_, 1);
    label_->setWordWrap(true);
    label_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    hide();
}

void StatusLine::setStatus(const QString& text, DSToken token)
{
    token_ = token;
    label_->setText(text);
    setVisible(!text.isEmpty());
    update();
}

void StatusLine::clear() { setStatus(QString(), DSToken::grey); }

QString StatusLine::text() const { return label_->text(); }

void StatusLine::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(DS::tint(token_, DS::isDark() ? 0.16 : 0.10));
    p.drawRoundedRect(QRectF(rect()), 8, 8);
    p.setBrush(DS::color(token_));
    p.drawEllipse(QPointF(14, height() / 2.0), 4, 4);
}

} // namespace vantrel
