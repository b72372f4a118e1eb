#include "ui/fancurve/FanCurveChart.h"

#include <algorithm>
#include <cmath>

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include "fan/FanControlState.h"
#include "ui/fancurve/FanCurvePageState.h"
#include "ui/style/DS.h"

namespace vantrel {

namespace {

constexpr double handleRadius = 7;
constexpr double grabRadius = 16;
constexpr FanCurveHandle kHandles[] = {FanCurveHandle::current, FanCurveHandle::work, FanCurveHandle::high};

QString valueText(const CurveValue& v)
{
    return QStringLiteral("%1°C · %2%").arg(qRound(v.temperature)).arg(qRound(v.fanPercent));
}

} // namespace

FanCurveChart::FanCurveChart(FanCurvePageState& state, QWidget* parent)
    : QWidget(parent)
    , state_(state)
{
    setMouseTracking(true);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    connect(&state_, &FanCurvePageState::editorChanged, this, qOverload<>(&QWidget::update));
    connect(&state_, &FanCurvePageState::readingsChanged, this, qOverload<>(&QWidget::update));
}

QPointF FanCurveChart::handleLocation(FanCurveHandle handle) const
{
    return fancurve::locationOf(fancurve::handleValue(state_.page().draftBands(), handle), plot());
}

std::optional<FanCurveHandle> FanCurveChart::handleAt(const QPointF& pos) const
{
    std::optional<FanCurveHandle> best;
    double bestDistance = grabRadius;
    for (FanCurveHandle h : kHandles) {
        const QPointF d = handleLocation(h) - pos;
        const double distance = std::hypot(d.x(), d.y());
        if (distance <= bestDistance) {
            best = h;
            bestDistance = distance;
        }
    }
    return best;
}

void FanCurveChart::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || state_.editorLocked())
        return QWidget::mousePressEvent(event);
    dragged_ = handleAt(event->position());
    if (dragged_) {
        event->accept();
        update();
    }
}

void FanCurveChart::mouseMoveEvent(QMouseEvent* event)
{
    if (dragged_) {
        state_.moveHandle(*dragged_, fancurve::valueAt(event->position(), plot()));
        update();
        return;
    }
    const auto over = state_.editorLocked() ? std::nullopt : handleAt(event->position());
    if (over != hovered_) {
        hovered_ = over;
        setCursor(over ? Qt::OpenHandCursor : Qt::ArrowCursor);
        update();
    }
}

void FanCurveChart::mouseReleaseEvent(QMouseEvent* event)
{
    if (dragged_ && event->button() == Qt::LeftButton) {
        dragged_.reset();
        update();
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

void FanCurveChart::leaveEvent(QEvent* event)
{
    hovered_.reset();
    update();
    QWidget::leaveEvent(event);
}

void FanCurveChart::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF plotArea = plot();
    paintGrid(p, plotArea);
    if (state_.isMacOSDefault())
        paintObserved(p, plotArea);
    paintCurve(p, plotArea);
    paintMarker(p, plotArea);
}

void FanCurveChart::paintGrid(QPainter& p, const QRectF& plot) const
{
    // The danger zone: the hottest fifth of the range.
    QPainterPath danger;
    danger.addRoundedRect(fancurve::dangerZone(plot), fancurve::dangerCornerRadius, fancurve::dangerCornerRadius);
    p.fillPath(danger, DS::tint(DSToken::red, DS::isDark() ? 0.16 : 0.10));

    QFont font = p.font();
    font.setPixelSize(11);
    p.setFont(font);
    const QColor grid = DS::color(DSToken::divider);
    for (int v = 0; v <= 100; v += 20) {
        const double y = plot.top() + (100 - v) / 100.0 * plot.height();
        const double x = plot.left() + v / 100.0 * plot.width();
        p.setPen(QPen(grid, 1, v == 0 ? Qt::SolidLine : Qt::DotLine));
        p.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        p.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
        p.setPen(DS::color(DSToken::textTer));
        p.drawText(QRectF(0, y - 8, plot.left() - 6, 16), Qt::AlignRight | Qt::AlignVCenter,
                   QStringLiteral("%1%").arg(v));
        p.drawText(QRectF(x - 24, plot.bottom() + 6, 48, 16), Qt::AlignCenter, QStringLiteral("%1°C").arg(v));
    }
    p.setPen(DS::color(DSToken::red));
    p.drawText(fancurve::dangerZone(plot).adjusted(0, 4, 0, 0), Qt::AlignHCenter | Qt::AlignTop,
               QStringLiteral("80–100°C"));
}

void FanCurveChart::paintCurve(QPainter& p, const QRectF& plot) const
{
    const DraftBands& b = state_.page().draftBands();
    const bool locked = state_.editorLocked();
    const QPointF points[] = {fancurve::locationOf(0, 0, plot), handleLocation(FanCurveHandle::current),
                              handleLocation(FanCurveHandle::work), handleLocation(FanCurveHandle::high),
                              fancurve::locationOf(100, 100, plot)};
    QPainterPath line;
    line.moveTo(points[0]);
    for (int i = 1; i < 5; ++i)
        line.lineTo(points[i]);
    const DSToken tone = locked ? DSToken::grey : DSToken::blue;
    if (!locked) {
        QPainterPath area = line;
        area.lineTo(plot.bottomRight());
        area.lineTo(plot.bottomLeft());
        area.closeSubpath();
        QLinearGradient fill(plot.topLeft(), plot.bottomLeft());
        fill.setColorAt(0, DS::tint(DSToken::blue, 0.28));
        fill.setColorAt(1, DS::tint(DSToken::blue, 0.02));
        p.fillPath(area, fill);
    }
    p.setPen(QPen(DS::color(tone), locked ? 2 : 3, locked ? Qt::DashLine : Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(line);

    // The fixed anchors are small; the handles are large rings that invite a drag.
    p.setPen(Qt::NoPen);
    p.setBrush(DS::color(tone));
    p.drawEllipse(points[0], 3.5, 3.5);
    p.drawEllipse(points[4], 3.5, 3.5);
    for (FanCurveHandle h : kHandles) {
        const QPointF c = handleLocation(h);
        const bool active = dragged_ == h || hovered_ == h;
        const double r = active ? handleRadius + 2 : handleRadius;
        p.setPen(QPen(DS::color(DSToken::card), 2.5));
        p.setBrush(DS::color(tone));
        p.drawEllipse(c, r, r);
        if (active) {
            const QString text = valueText(fancurve::handleValue(b, h));
            QRectF label(c.x() - 50, c.y() - r - 24, 100, 18);
            label.moveLeft(std::clamp(label.left(), plot.left(), plot.right() - label.width()));
            QPainterPath bubble;
            bubble.addRoundedRect(label, 6, 6);
            p.fillPath(bubble, DS::color(DSToken::textPri));
            p.setPen(DS::color(DSToken::card));
            p.drawText(label, Qt::AlignCenter, text);
        }
    }
}

void FanCurveChart::paintObserved(QPainter& p, const QRectF& plot) const
{
    p.setPen(Qt::NoPen);
    p.setBrush(DS::tint(DSToken::cyan, 0.75));
    for (const ObservedMacOSFanPoint& o : state_.fan().macOSFanCurveSamples()) {
        const QPointF c
            = fancurve::locationOf(std::clamp(o.temperature, 0.0, 100.0), std::clamp(o.fanPercent, 0.0, 100.0), plot);
        p.drawEllipse(c, 3, 3);
    }
}

void FanCurveChart::paintMarker(QPainter& p, const QRectF& plot) const
{
    const double temperature = state_.cpuTemperature();
    if (!state_.hasReadings() || temperature <= 0)
        return;
    const QPointF c = fancurve::locationOf(std::clamp(temperature, 0.0, 100.0), state_.operatingMarkerPercent(), plot);
    p.setPen(QPen(DS::color(DSToken::orange), 1, Qt::DashLine));
    p.drawLine(QPointF(c.x(), plot.top()), QPointF(c.x(), plot.bottom()));
    p.setPen(QPen(DS::color(DSToken::card), 2));
    p.setBrush(DS::color(DSToken::orange));
    p.drawEllipse(c, 5.5, 5.5);
    p.setPen(DS::color(DSToken::orange));
    const QString text = QStringLiteral("CPU %1°C").arg(temperature, 0, 'f', 0);
    const bool right = c.x() < plot.center().x();
    const QRectF label
        = right ? QRectF(c.x() + 6, plot.top() - 22, 120, 16) : QRectF(c.x() - 126, plot.top() - 22, 120, 16);
    p.drawText(label, (right ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter, text);
}

} // namespace vantrel
