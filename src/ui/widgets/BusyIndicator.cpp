#include "ui/widgets/BusyIndicator.h"

#include <QPainter>
#include <QTimer>

#include "ui/style/DS.h"

namespace vantrel {

BusyIndicator::BusyIndicator(QWidget* parent)
    : QWidget(parent)
    , timer_(new QTimer(this))
{
    setFixedSize(sizeHint());
    timer_->setInterval(60);
    connect(timer_, &QTimer::timeout, this, [this] {
        angle_ = (angle_ + 30) % 360;
        update();
    });
    hide();
}

void BusyIndicator::setRunning(bool running)
{
    running_ = running;
    setVisible(running);
    if (running)
        timer_->start();
    else
        timer_->stop();
}

void BusyIndicator::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QPen pen(DS::color(DSToken::blue), 2.0);
    pen.setCapStyle(Qt::RoundCap);
    p.setPen(pen);
    const QRectF r = QRectF(rect()).adjusted(2, 2, -2, -2);
    p.drawArc(r, -angle_ * 16, 270 * 16);
}

} // namespace vantrel
