#include "ui/widgets/Card.h"

#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

#include "ui/style/DS.h"
#include "ui/widgets/SymbolView.h"
#include "ui/widgets/TokenLabel.h"

namespace vantrel {

Card::Card(QWidget* parent)
    : QFrame(parent)
{
    setAttribute(Qt::WA_Hover);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(16, 14, 16, 16);
    outer->setSpacing(10);

    header_ = new QWidget(this);
    headerLayout_ = new QHBoxLayout(header_);
    headerLayout_->setContentsMargins(0, 0, 0, 0);
    headerLayout_->setSpacing(7);
    symbol_ = new SymbolView(QString(), DSToken::textSec, 15, header_);
    symbol_->hide();
    title_ = new TokenLabel(QString(), DSToken::textSec, 12, QFont::DemiBold, header_);
    // A narrow card shortens its title rather than pushing the page wider than the window.
    title_->setElideMode(Qt::ElideRight);
    chevron_ = new SymbolView(QStringLiteral("chevron.right"), DSToken::textTer, 11, header_);
    chevron_->hide();
    headerLayout_->addWidget(symbol_);
    headerLayout_->addWidget(title_, 1);
    headerLayout_->addWidget(chevron_);
    outer->addWidget(header_);
    header_->hide();

    content_ = new QVBoxLayout;
    content_->setContentsMargins(0, 0, 0, 0);
    content_->setSpacing(8);
    outer->addLayout(content_, 1);
}

void Card::setTitle(const QString& title)
{
    title_->setText(title);
    updateHeaderVisibility();
}

QString Card::title() const { return title_->text(); }

void Card::setSymbol(const QString& symbolName)
{
    symbol_->setSymbol(symbolName);
    symbol_->setVisible(!symbolName.isEmpty());
    updateHeaderVisibility();
}

void Card::setTrailingWidget(QWidget* widget)
{
    if (trailing_) {
        headerLayout_->removeWidget(trailing_);
        trailing_->deleteLater();
    }
    trailing_ = widget;
    if (widget)
        headerLayout_->insertWidget(headerLayout_->count() - 1, widget);
    updateHeaderVisibility();
}

void Card::setClickable(bool clickable)
{
    clickable_ = clickable;
    chevron_->setVisible(clickable);
    setCursor(clickable ? Qt::PointingHandCursor : Qt::ArrowCursor);
    updateHeaderVisibility();
}

void Card::updateHeaderVisibility()
{
    header_->setVisible(!title_->text().isEmpty() || symbol_->isVisibleTo(header_) || trailing_ || clickable_);
}

void Card::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath path;
    path.addRoundedRect(r, 12, 12);
    QColor fill = DS::color(DSToken::card);
    if (clickable_ && (hovered_ || pressed_))
        fill = DS::isDark() ? fill.lighter(pressed_ ? 125 : 115) : DS::color(DSToken::interactiveSurface);
    p.fillPath(path, fill);
    p.setPen(QPen(DS::color(DSToken::widgetBorder), 1));
    p.drawPath(path);
}

void Card::enterEvent(QEnterEvent* event)
{
    hovered_ = true;
    update();
    QFrame::enterEvent(event);
}

void Card::leaveEvent(QEvent* event)
{
    hovered_ = false;
    pressed_ = false;
    update();
    QFrame::leaveEvent(event);
}

void Card::mousePressEvent(QMouseEvent* event)
{
    if (clickable_ && event->button() == Qt::LeftButton) {
        pressed_ = true;
        update();
        event->accept();
        return;
    }
    QFrame::mousePressEvent(event);
}

void Card::mouseReleaseEvent(QMouseEvent* event)
{
    if (clickable_ && pressed_ && event->button() == Qt::LeftButton) {
        pressed_ = false;
        update();
        if (rect().contains(event->position().toPoint()))
            Q_EMIT clicked();
        event->accept();
        return;
    }
    QFrame::mouseReleaseEvent(event);
}

} // namespace vantrel
