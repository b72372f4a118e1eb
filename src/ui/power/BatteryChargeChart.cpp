#include "ui/power/BatteryChargeChart.h"

#include <algorithm>

#include <QPainter>
#include <QPainterPath>

#include "ui/style/DS.h"
#include "ui/style/Typography.h"

namespace vantrel {

BatteryChargeChart::BatteryChargeChart(QWidget* parent)
    : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void BatteryChargeChart::setGeometryModel(BatteryHourlyBarsGeometry geometry, QDateTime now)
{
    geometry_ = std::move(geometry);
    now_ = std::move(now);
    update();
}

void BatteryChargeChart::setAxisTexts(const QString& start, const QString& end)
{
    startText_ = start;
    endText_ = end;
    update();
}

void BatteryChargeChart::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QFont small = Typography::font(10);
    p.setFont(small);
    const int axisWidth = QFontMetrics(small).horizontalAdvance(QStringLiteral("100%")) + 6;
    const int axisHeight = QFontMetrics(small).height() + 4;
    const QRectF plot(axisWidth, 4, std::max(10, width() - axisWidth - 4), std::max(10, height() - axisHeight - 8));

    // Grid at 0, 50 and 100 percent.
    for (int level : {0, 50, 100}) {
        const double y = plot.top() + plot.height() * (1.0 - level / 100.0);
        p.setPen(QPen(DS::color(DSToken::divider), 1));
        p.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        p.setPen(DS::color(DSToken::textTer));
        p.drawText(QRectF(0, y - 8, axisWidth - 4, 16), Qt::AlignRight | Qt::AlignVCenter,
                   QString::number(level) + QLatin1Char('%'));
    }

    const QDateTime now = now_.isValid() ? now_ : QDateTime::currentDateTimeUtc();
    const auto records = geometry_.chartRecords(now);
    auto points = geometry_.linePoints(now, plot.size());
    for (QPointF& pt : points)
        pt += plot.topLeft();

    // Target line.
    const double targetY = plot.top() + geometry_.targetLineY(plot.height());
    QPen dashed(DS::color(DSToken::orange), 1.2, Qt::DashLine);
    p.setPen(dashed);
    p.drawLine(QPointF(plot.left(), targetY), QPointF(plot.right(), targetY));

    if (!points.empty()) {
        QPainterPath line(points.front());
        for (size_t i = 1; i < points.size(); ++i)
            line.lineTo(points[i]);
        QPainterPath area = line;
        area.lineTo(points.back().x(), plot.bottom());
        area.lineTo(points.front().x(), plot.bottom());
        area.closeSubpath();
        QColor fill = DS::color(DSToken::blue);
        fill.setAlphaF(0.14);
        p.fillPath(area, fill);
        p.setPen(QPen(DS::color(DSToken::blue), 2));
        p.drawPath(line);
        // Charging stretches drawn over the line in green.
        p.setPen(QPen(DS::color(DSToken::green), 2.4));
        for (size_t i = 1; i < points.size() && i < records.size(); ++i)
            if (records[i].isCharging)
                p.drawLine(points[i - 1], points[i]);
        const QColor last
            = records.empty() || !records.back().isCharging ? DS::color(DSToken::blue) : DS::color(DSToken::green);
        p.setPen(Qt::NoPen);
        p.setBrush(last);
        p.drawEllipse(points.back(), 3.5, 3.5);
    }

    p.setPen(DS::color(DSToken::textTer));
    const QRectF axis(plot.left(), plot.bottom() + 4, plot.width(), axisHeight);
    p.drawText(axis, Qt::AlignLeft | Qt::AlignTop, startText_);
    p.drawText(axis, Qt::AlignRight | Qt::AlignTop, endText_);
}

} // namespace vantrel
