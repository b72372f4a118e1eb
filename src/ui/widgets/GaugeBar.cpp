#include "ui/widgets/GaugeBar.h"

#include <algorithm>

#include <QPainter>

#include "ui/style/DS.h"

namespace vantrel {

GaugeBar::GaugeBar(QWidget* parent)
    : QWidget(parent)
{
    setFixedHeight(8);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void GaugeBar::setValue(double fraction, DSToken token)
{
    value_ = std::clamp(fraction, 0.0, 1.0);
    token_ = token;
    update();
}

void GaugeBar::setMarker(std::optional<double> fraction)
{
    marker_ = fraction ? std::optional<double>(std::clamp(*fraction, 0.0, 1.0)) : std::nullopt;
    update();
}

void GaugeBar::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF track = QRectF(rect()).adjusted(0, 1, 0, -1);
    const double radius = track.height() / 2;
    p.setPen(Qt::NoPen);
    p.setBrush(DS::color(DSToken::divider));
    p.drawRoundedRect(track, radius, radius);
    if (value_ > 0) {
        QRectF fill = track;
        fill.setWidth(std::max(track.height(), track.width() * value_));
        p.setBrush(DS::color(token_));
        p.drawRoundedRect(fill, radius, radius);
    }
    if (marker_) {
        const double x = track.left() + track.width() * *marker_;
        p.setPen(QPen(DS::color(DSToken::textSec), 1.5));
        p.drawLine(QPointF(x, 0), QPointF(x, height()));
    }
}

} // namespace vantrel
