#include "ui/widgets/Badge.h"

#include <QPainter>

#include "ui/style/DS.h"
#include "ui/style/Typography.h"

namespace vantrel {

Badge::Badge(QWidget* parent)
    : QLabel(parent)
{
    setFont(Typography::font(11, QFont::DemiBold));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void Badge::setBadge(const QString& text, DSToken token)
{
    token_ = token;
    setText(text);
    setVisible(!text.isEmpty());
    updateGeometry();
    update();
}

QSize Badge::sizeHint() const
{
    const QFontMetrics fm(font());
    return {fm.horizontalAdvance(text()) + 16, fm.height() + 6};
}

void Badge::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(DS::tint(token_, DS::isDark() ? 0.22 : 0.13));
    const QRectF r = QRectF(rect());
    p.drawRoundedRect(r, r.height() / 2, r.height() / 2);
    p.setPen(DS::color(token_));
    p.setFont(font());
    p.drawText(r, Qt::AlignCenter, text());
}

} // namespace vantrel
