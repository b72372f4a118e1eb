#include "ui/widgets/HistoryChart.h"

#include <algorithm>
#include <cmath>

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "ui/style/DS.h"
#include "ui/style/Typography.h"

namespace vantrel {

HistoryChart::HistoryChart(QWidget* parent)
    : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void HistoryChart::setSamples(std::vector<double> samples)
{
    samples_ = std::move(samples);
    update();
}

void HistoryChart::setToken(DSToken token)
{
    token_ = token;
    update();
}

void HistoryChart::setCapacity(int capacity)
{
    capacity_ = std::max(2, capacity);
    update();
}

void HistoryChart::setMinimumSpan(double span)
{
    minimumSpan_ = std::max(1e-6, span);
    update();
}

std::pair<double, double> HistoryChart::displayRange() const
{
    if (samples_.empty())
        return {0, minimumSpan_};
    const auto [lo, hi] = std::minmax_element(samples_.begin(), samples_.end());
    double low = *lo;
    double high = *hi;
    const double pad = std::max((high - low) * 0.15, 0.0);
    low -= pad;
    high += pad;
    if (high - low < minimumSpan_) {
        const double mid = (high + low) / 2;
        low = mid - minimumSpan_ / 2;
        high = mid + minimumSpan_ / 2;
    }
    // Readings here are never negative; keep the axis from dipping below zero.
    if (low < 0 && *lo >= 0) {
        high -= low;
        low = 0;
    }
    return {low, high};
}

void HistoryChart::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor accent = DS::color(token_);
    const QFont labelFont = Typography::font(10);
    p.setFont(labelFont);
    const QFontMetrics fm(p.font());

    const auto [low, high] = displayRange();
    auto label = [&](double v) { return QString::number(v, 'f', decimals_); };
    const int labelWidth = std::max(fm.horizontalAdvance(label(high)), fm.horizontalAdvance(label(low))) + 6;
    const QRectF plot(1, fm.height() / 2.0 + 1, width() - labelWidth - 2, height() - fm.height() - 2);
    if (plot.width() < 10 || plot.height() < 10)
        return;

    // Grid: top, middle, bottom, labelled at the right.
    p.setPen(QPen(DS::color(DSToken::divider), 1, Qt::DashLine));
    for (int i = 0; i < 3; ++i) {
        const double y = plot.top() + plot.height() * i / 2.0;
        p.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
    }
    p.setPen(DS::color(DSToken::textTer));
    for (int i = 0; i < 3; ++i) {
        const double v = high - (high - low) * i / 2.0;
        const double y = plot.top() + plot.height() * i / 2.0;
        p.drawText(QRectF(plot.right() + 4, y - fm.height() / 2.0, labelWidth, fm.height()),
                   Qt::AlignLeft | Qt::AlignVCenter, label(v));
    }

    if (samples_.empty()) {
        p.setPen(DS::color(DSToken::textTer));
        p.setFont(Typography::font(12));
        p.drawText(plot, Qt::AlignCenter, emptyText_);
        return;
    }

    const int n = int(samples_.size());
    const int shown = std::min(n, capacity_);
    const double stepX = plot.width() / (capacity_ - 1);
    auto point = [&](int i) {
        const double v = samples_[n - shown + i];
        const double x = plot.right() - (shown - 1 - i) * stepX;
        const double y = plot.bottom() - (v - low) / (high - low) * plot.height();
        return QPointF(x, std::clamp(y, plot.top(), plot.bottom()));
    };

    QPainterPath line;
    line.moveTo(point(0));
    for (int i = 1; i < shown; ++i) {
        // A gentle curve through the points: control points halfway in x.
        const QPointF a = point(i - 1);
        const QPointF b = point(i);
        const double mx = (a.x() + b.x()) / 2;
        line.cubicTo(QPointF(mx, a.y()), QPointF(mx, b.y()), b);
    }
    if (shown > 1) {
        QPainterPath area = line;
        area.lineTo(point(shown - 1).x(), plot.bottom());
        area.lineTo(point(0).x(), plot.bottom());
        area.closeSubpath();
        QLinearGradient fill(plot.topLeft(), plot.bottomLeft());
        QColor top = accent;
        top.setAlphaF(DS::isDark() ? 0.32 : 0.22);
        QColor bottom = accent;
        bottom.setAlphaF(0.0);
        fill.setColorAt(0, top);
        fill.setColorAt(1, bottom);
        p.fillPath(area, fill);
    }
    p.setPen(QPen(accent, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(line);

    const QPointF last = point(shown - 1);
    QColor halo = accent;
    halo.setAlphaF(0.25);
    p.setPen(Qt::NoPen);
    p.setBrush(halo);
    p.drawEllipse(last, 6, 6);
    p.setBrush(accent);
    p.drawEllipse(last, 3.2, 3.2);
}

} // namespace vantrel
