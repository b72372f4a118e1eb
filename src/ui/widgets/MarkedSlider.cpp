#include "ui/widgets/MarkedSlider.h"

#include <algorithm>
#include <cmath>

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "ui/style/DS.h"
#include "ui/style/Typography.h"

namespace vantrel {

namespace {
constexpr double kKnob = 20.0;
constexpr double kTrackY = 12.0;
} // namespace

MarkedSlider::MarkedSlider(QWidget* parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setCursor(Qt::PointingHandCursor);
}

void MarkedSlider::setRange(int minimum, int maximum)
{
    min_ = std::min(minimum, maximum);
    max_ = std::max(minimum, maximum);
    setValue(value_);
    update();
}

void MarkedSlider::setStep(int step)
{
    step_ = std::max(1, step);
    setValue(value_);
}

void MarkedSlider::setMarks(std::vector<Mark> marks)
{
    marks_ = std::move(marks);
    updateGeometry();
    update();
}

int MarkedSlider::snapped(int value) const
{
    const int clamped = std::clamp(value, min_, max_);
    const int steps = static_cast<int>(std::lround(double(clamped - min_) / step_));
    return std::clamp(min_ + steps * step_, min_, max_);
}

void MarkedSlider::setValue(int value)
{
    const int v = snapped(value);
    if (v == value_)
        return;
    value_ = v;
    update();
    Q_EMIT valueChanged(value_);
}

double MarkedSlider::positionOf(int value) const
{
    const double usable = std::max(1.0, width() - kKnob);
    const double span = std::max(1, max_ - min_);
    return kKnob / 2 + usable * (std::clamp(value, min_, max_) - min_) / span;
}

int MarkedSlider::valueAt(double x) const
{
    const double usable = std::max(1.0, width() - kKnob);
    const double fraction = std::clamp((x - kKnob / 2) / usable, 0.0, 1.0);
    return snapped(min_ + static_cast<int>(std::lround(fraction * (max_ - min_))));
}

bool MarkedSlider::hasLabels() const
{
    return std::any_of(marks_.begin(), marks_.end(), [](const Mark& m) { return !m.label.isEmpty(); });
}

QSize MarkedSlider::sizeHint() const { return {240, hasLabels() ? 46 : 32}; }

QSize MarkedSlider::minimumSizeHint() const { return {80, sizeHint().height()}; }

void MarkedSlider::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor accent = isEnabled() ? DS::color(DSToken::blue) : DS::color(DSToken::textDisabled);
    const double left = kKnob / 2;
    const double right = width() - kKnob / 2;
    const double x = positionOf(value_);

    p.setPen(Qt::NoPen);
    p.setBrush(DS::color(DSToken::divider));
    p.drawRoundedRect(QRectF(left, kTrackY - 2, right - left, 4), 2, 2);
    p.setBrush(accent);
    p.drawRoundedRect(QRectF(left, kTrackY - 2, x - left, 4), 2, 2);

    p.setFont(Typography::font(10, QFont::Medium));
    for (const Mark& m : marks_) {
        if (m.value < min_ || m.value > max_)
            continue;
        const double mx = positionOf(m.value);
        const double len = m.emphasised ? 7 : 4;
        const QColor c = m.emphasised ? DS::color(DSToken::textSec) : DS::color(DSToken::textTer);
        p.setPen(QPen(c, m.emphasised ? 1.6 : 1.0));
        p.drawLine(QPointF(mx, kTrackY + 8), QPointF(mx, kTrackY + 8 + len));
        if (!m.label.isEmpty()) {
            p.setPen(m.emphasised ? DS::color(DSToken::textSec) : DS::color(DSToken::textTer));
            const QRectF box(mx - 40, kTrackY + 17, 80, 14);
            p.drawText(box, Qt::AlignHCenter | Qt::AlignTop, m.label);
        }
    }

    const QRectF knob(x - kKnob / 2, kTrackY - kKnob / 2, kKnob, kKnob);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 45));
    p.drawEllipse(knob.translated(0, 0.8));
    p.setBrush(QColor(Qt::white));
    p.setPen(QPen(DS::color(DSToken::interactiveBorder), 0.8));
    p.drawEllipse(knob);
    if (hasFocus()) {
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(DS::tint(DSToken::blue, 0.5), 2));
        p.drawEllipse(knob.adjusted(-1.5, -1.5, 1.5, 1.5));
    }
}

void MarkedSlider::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !isEnabled())
        return QWidget::mousePressEvent(event);
    dragging_ = true;
    setValue(valueAt(event->position().x()));
}

void MarkedSlider::mouseMoveEvent(QMouseEvent* event)
{
    if (dragging_)
        setValue(valueAt(event->position().x()));
}

void MarkedSlider::mouseReleaseEvent(QMouseEvent* event)
{
    if (!dragging_)
        return QWidget::mouseReleaseEvent(event);
    dragging_ = false;
    setValue(valueAt(event->position().x()));
    Q_EMIT valueCommitted(value_);
}

void MarkedSlider::keyPressEvent(QKeyEvent* event)
{
    int next = value_;
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Down:
        next -= step_;
        break;
    case Qt::Key_Right:
    case Qt::Key_Up:
        next += step_;
        break;
    case Qt::Key_Home:
        next = min_;
        break;
    case Qt::Key_End:
        next = max_;
        break;
    default:
        return QWidget::keyPressEvent(event);
    }
    setValue(next);
    Q_EMIT valueCommitted(value_);
}

} // namespace vantrel
