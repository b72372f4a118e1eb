#include "ui/widgets/SwitchControl.h"

#include <QPainter>
#include <QVariantAnimation>

#include "ui/style/DS.h"

namespace vantrel {

SwitchControl::SwitchControl(QWidget* parent)
    : QAbstractButton(parent)
    , animation_(new QVariantAnimation(this))
{
    setCheckable(true);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    animation_->setDuration(140);
    connect(animation_, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) {
        knob_ = v.toDouble();
        update();
    });
    connect(this, &QAbstractButton::toggled, this, &SwitchControl::animateTo);
}

void SwitchControl::animateTo(bool on)
{
    animation_->stop();
    if (!isVisible()) {
        knob_ = on ? 1.0 : 0.0;
        update();
        return;
    }
    animation_->setStartValue(knob_);
    animation_->setEndValue(on ? 1.0 : 0.0);
    animation_->start();
}

void SwitchControl::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF track
        = QRectF(0, 0, 40, 24).translated((width() - 40) / 2.0, (height() - 24) / 2.0).adjusted(1, 1, -1, -1);
    const double r = track.height() / 2;
    QColor off = DS::color(DSToken::interactiveBorder);
    QColor on = DS::color(DSToken::blue);
    if (!isEnabled()) {
        off.setAlphaF(0.5);
        on.setAlphaF(0.45);
    }
    // Blend the track colour with the knob's travel so the animation reads smoothly.
    const double t = knob_;
    const QColor fill = QColor::fromRgbF(
        off.redF() + (on.redF() - off.redF()) * t, off.greenF() + (on.greenF() - off.greenF()) * t,
        off.blueF() + (on.blueF() - off.blueF()) * t, off.alphaF() + (on.alphaF() - off.alphaF()) * t);
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawRoundedRect(track, r, r);
    const double d = track.height() - 4;
    const double x = track.left() + 2 + (track.width() - 4 - d) * t;
    p.setBrush(QColor(0, 0, 0, 40));
    p.drawEllipse(QRectF(x, track.top() + 2.6, d, d));
    p.setBrush(isEnabled() ? QColor(Qt::white) : QColor(245, 245, 245));
    p.drawEllipse(QRectF(x, track.top() + 2, d, d));
    if (hasFocus()) {
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(DS::tint(DSToken::blue, 0.5), 2));
        p.drawRoundedRect(track.adjusted(-1, -1, 1, 1), r + 1, r + 1);
    }
}

} // namespace vantrel
