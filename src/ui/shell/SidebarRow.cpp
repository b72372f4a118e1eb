#include "ui/shell/SidebarRow.h"

#include <QPainter>

#include "ui/style/DS.h"
#include "ui/style/Typography.h"
#include "ui/widgets/SymbolPainter.h"

namespace vantrel {

SidebarRow::SidebarRow(const QString& pageId, const QString& symbol, const QString& title, QWidget* parent)
    : QAbstractButton(parent)
    , pageId_(pageId)
    , symbol_(symbol)
{
    setText(title);
    setAccessibleName(title);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_Hover);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void SidebarRow::setSelected(bool selected)
{
    if (selected_ == selected)
        return;
    selected_ = selected;
    update();
}

QSize SidebarRow::sizeHint() const
{
    const QFontMetrics fm(Typography::font(13, QFont::Medium));
    return {fm.horizontalAdvance(text()) + 48, 32};
}

void SidebarRow::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect()).adjusted(0, 1, 0, -1);
    if (selected_) {
        p.setPen(Qt::NoPen);
        p.setBrush(DS::tint(DSToken::blue, DS::isDark() ? 0.28 : 0.14));
        p.drawRoundedRect(r, 7, 7);
    } else if (hovered_ || isDown()) {
        p.setPen(Qt::NoPen);
        p.setBrush(DS::tint(DSToken::grey, isDown() ? 0.22 : 0.12));
        p.drawRoundedRect(r, 7, 7);
    }
    const QColor iconColor = selected_ ? DS::color(DSToken::blue) : DS::color(DSToken::textSec);
    SymbolPainter::paint(p, symbol_, QRectF(10, (height() - 17) / 2.0, 17, 17), iconColor);
    p.setFont(Typography::font(13, selected_ ? QFont::DemiBold : QFont::Medium));
    p.setPen(selected_ ? DS::color(DSToken::textPri) : DS::color(DSToken::textSec));
    const QRectF textRect(36, 0, width() - 42, height());
    p.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft,
               p.fontMetrics().elidedText(text(), Qt::ElideRight, int(textRect.width())));
    if (hasFocus()) {
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(DS::tint(DSToken::blue, 0.6), 1.5));
        p.drawRoundedRect(r.adjusted(1, 1, -1, -1), 7, 7);
    }
}

void SidebarRow::enterEvent(QEnterEvent* event)
{
    hovered_ = true;
    update();
    QAbstractButton::enterEvent(event);
}

void SidebarRow::leaveEvent(QEvent* event)
{
    hovered_ = false;
    update();
    QAbstractButton::leaveEvent(event);
}

} // namespace vantrel
