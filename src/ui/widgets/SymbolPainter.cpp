#include "ui/widgets/SymbolPainter.h"

#include <cmath>
#include <functional>

#include <QHash>
#include <QPainter>
#include <QPainterPath>

namespace vantrel {

namespace {

using Draw = std::function<void(QPainter&, const QColor&)>;

QPen stroke(const QColor& c, double width = 1.8)
{
    QPen pen(c, width);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

void gauge(QPainter& p, const QColor& c)
{
    p.setPen(stroke(c));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(3, 4, 18, 18), 0 * 16, 180 * 16);
    p.drawLine(QPointF(3, 13), QPointF(21, 13));
    // Dots along the dial and a needle at a third of the range.
    p.setBrush(c);
    p.setPen(Qt::NoPen);
    for (double deg : {150.0, 115.0, 65.0, 30.0}) {
        const double r = deg * M_PI / 180.0;
        p.drawEllipse(QPointF(12 + 6.2 * std::cos(r), 13 - 6.2 * std::sin(r)), 1.0, 1.0);
    }
    p.setPen(stroke(c, 2.0));
    const double n = 125.0 * M_PI / 180.0;
    p.drawLine(QPointF(12, 13), QPointF(12 + 5.5 * std::cos(n), 13 - 5.5 * std::sin(n)));
    p.setBrush(c);
    p.drawEllipse(QPointF(12, 13), 1.6, 1.6);
}

void wind(QPainter& p, const QColor& c)
{
    p.setPen(stroke(c));
    p.setBrush(Qt::NoBrush);
    QPainterPath a;
    a.moveTo(3, 9);
    a.lineTo(15, 9);
    a.cubicTo(19.5, 9, 19.5, 3.5, 15.5, 3.8);
    p.drawPath(a);
    QPainterPath b;
    b.moveTo(3, 13.5);
    b.lineTo(18, 13.5);
    b.cubicTo(22.5, 13.5, 22.5, 19.5, 18.5, 19.5);
    p.drawPath(b);
    p.drawLine(QPointF(3, 17.5), QPointF(11, 17.5));
}

void bolt(QPainter& p, const QColor& c)
{
    QPainterPath path;
    path.moveTo(13.5, 2);
    path.lineTo(5, 13.5);
    path.lineTo(11.2, 13.5);
    path.lineTo(10, 22);
    path.lineTo(19, 10);
    path.lineTo(12.6, 10);
    path.closeSubpath();
    p.setPen(stroke(c, 1.2));
    p.setBrush(c);
    p.drawPath(path);
}

void moonZzz(QPainter& p, const QColor& c)
{
    QPainterPath moon;
    moon.addEllipse(QPointF(10, 13.5), 8, 8);
    QPainterPath bite;
    bite.addEllipse(QPointF(15, 9.5), 7, 7);
    p.setPen(stroke(c, 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawPath(moon.subtracted(bite));
    p.setPen(stroke(c, 1.4));
    QPainterPath z;
    z.moveTo(15, 2.5);
    z.lineTo(19.5, 2.5);
    z.lineTo(15, 7);
    z.lineTo(19.5, 7);
    p.drawPath(z);
    QPainterPath z2;
    z2.moveTo(19.5, 9.5);
    z2.lineTo(22, 9.5);
    z2.lineTo(19.5, 12);
    z2.lineTo(22, 12);
    p.drawPath(z2);
}

void wrench(QPainter& p, const QColor& c)
{
    p.setBrush(Qt::NoBrush);
    p.setPen(stroke(c, 2.2));
    // Screwdriver shaft and handle, crossing a wrench.
    p.drawLine(QPointF(5, 19), QPointF(13, 11));
    p.setPen(stroke(c, 3.4));
    p.drawLine(QPointF(14.5, 9.5), QPointF(19, 5));
    p.setPen(stroke(c, 2.0));
    p.drawLine(QPointF(5, 5), QPointF(17.5, 17.5));
    p.drawArc(QRectF(2.0, 2.0, 6, 6), 45 * 16, 270 * 16);
    p.drawArc(QRectF(16.0, 16.0, 6, 6), 225 * 16, 270 * 16);
}

void gearshape(QPainter& p, const QColor& c)
{
    QPainterPath gear;
    const int teeth = 8;
    for (int i = 0; i < teeth * 2; ++i) {
        const double a0 = (i * M_PI) / teeth - M_PI / (teeth * 2.4);
        const double a1 = (i * M_PI) / teeth + M_PI / (teeth * 2.4);
        const double r = (i % 2 == 0) ? 10.0 : 7.8;
        const QPointF q0(12 + r * std::cos(a0), 12 + r * std::sin(a0));
        const QPointF q1(12 + r * std::cos(a1), 12 + r * std::sin(a1));
        if (i == 0)
            gear.moveTo(q0);
        else
            gear.lineTo(q0);
        gear.lineTo(q1);
    }
    gear.closeSubpath();
    p.setPen(stroke(c, 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawPath(gear);
    p.drawEllipse(QPointF(12, 12), 3.2, 3.2);
}

void powerSymbol(QPainter& p, const QColor& c)
{
    p.setPen(stroke(c, 2.0));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(4, 4.5, 16, 16), 125 * 16, -250 * 16);
    p.drawLine(QPointF(12, 2.5), QPointF(12, 11.5));
}

void chevronRight(QPainter& p, const QColor& c)
{
    p.setPen(stroke(c, 2.4));
    p.setBrush(Qt::NoBrush);
    QPainterPath path;
    path.moveTo(9, 4.5);
    path.lineTo(16, 12);
    path.lineTo(9, 19.5);
    p.drawPath(path);
}

void cpu(QPainter& p, const QColor& c)
{
    p.setPen(stroke(c, 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(5.5, 5.5, 13, 13), 2.5, 2.5);
    p.drawRoundedRect(QRectF(9, 9, 6, 6), 1, 1);
    for (double t : {9.0, 12.0, 15.0}) {
        p.drawLine(QPointF(t, 2.5), QPointF(t, 5.5));
        p.drawLine(QPointF(t, 18.5), QPointF(t, 21.5));
        p.drawLine(QPointF(2.5, t), QPointF(5.5, t));
        p.drawLine(QPointF(18.5, t), QPointF(21.5, t));
    }
}

void memorychip(QPainter& p, const QColor& c)
{
    p.setPen(stroke(c, 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(2.5, 6.5, 19, 9), 1.5, 1.5);
    for (double x : {6.0, 10.0, 14.0, 18.0})
        p.drawLine(QPointF(x, 15.5), QPointF(x, 18.5));
    p.drawRect(QRectF(5.5, 9, 3, 4));
    p.drawRect(QRectF(10.5, 9, 3, 4));
    p.drawRect(QRectF(15.5, 9, 3, 4));
}

void drive(QPainter& p, const QColor& c)
{
    p.setPen(stroke(c, 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(2.5, 6.5, 19, 11), 3, 3);
    p.drawLine(QPointF(2.5, 12.5), QPointF(21.5, 12.5));
    p.setBrush(c);
    p.drawEllipse(QPointF(17.5, 15), 0.9, 0.9);
}

void thermometer(QPainter& p, const QColor& c)
{
    p.setPen(stroke(c, 1.6));
    p.setBrush(Qt::NoBrush);
    QPainterPath tube;
    tube.moveTo(10, 14);
    tube.lineTo(10, 4.5);
    tube.arcTo(QRectF(10, 2.5, 4, 4), 180, -180);
    tube.lineTo(14, 14);
    tube.arcTo(QRectF(7.5, 12.5, 9, 9), 60, -300);
    p.drawPath(tube);
    p.setBrush(c);
    p.drawEllipse(QPointF(12, 17), 2.2, 2.2);
    p.drawLine(QPointF(12, 8), QPointF(12, 15));
}

void fan(QPainter& p, const QColor& c)
{
    p.setPen(stroke(c, 1.5));
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 3; ++i) {
        p.save();
        p.translate(12, 12);
        p.rotate(i * 120.0);
        QPainterPath blade;
        blade.moveTo(0, -1.8);
        blade.cubicTo(-1, -8, 4, -10.5, 6, -7.5);
        blade.cubicTo(7.5, -5, 4, -2.5, 1.6, -0.9);
        p.drawPath(blade);
        p.restore();
    }
    p.drawEllipse(QPointF(12, 12), 1.8, 1.8);
}

void battery(QPainter& p, const QColor& c)
{
    p.setPen(stroke(c, 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(2.5, 7, 17, 10), 2.5, 2.5);
    p.setBrush(c);
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(4.5, 9, 10, 6), 1, 1);
    p.drawRoundedRect(QRectF(20.3, 10, 2, 4), 0.8, 0.8);
}

void clockArrow(QPainter& p, const QColor& c)
{
    p.setPen(stroke(c, 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(3.5, 3.5, 17, 17), 160 * 16, -300 * 16);
    QPainterPath head;
    head.moveTo(2.2, 7.5);
    head.lineTo(4.2, 11.6);
    head.lineTo(8.0, 9.4);
    p.drawPath(head);
    p.drawLine(QPointF(12, 7.5), QPointF(12, 12));
    p.drawLine(QPointF(12, 12), QPointF(15, 14));
}

void warning(QPainter& p, const QColor& c)
{
    QPainterPath tri;
    tri.moveTo(12, 3);
    tri.lineTo(22, 20.5);
    tri.lineTo(2, 20.5);
    tri.closeSubpath();
    p.setPen(stroke(c, 1.6));
    p.setBrush(c);
    p.drawPath(tri);
    p.setPen(stroke(Qt::white, 2.0));
    p.drawLine(QPointF(12, 9), QPointF(12, 14.5));
    p.drawPoint(QPointF(12, 17.6));
}

void uturn(QPainter& p, const QColor& c)
{
    p.setPen(stroke(c, 1.8));
    p.setBrush(Qt::NoBrush);
    QPainterPath path;
    path.moveTo(20, 19);
    path.lineTo(20, 13);
    path.cubicTo(20, 9, 17, 8, 14, 8);
    path.lineTo(5, 8);
    p.drawPath(path);
    QPainterPath head;
    head.moveTo(9, 4);
    head.lineTo(5, 8);
    head.lineTo(9, 12);
    p.drawPath(head);
}

void listBullet(QPainter& p, const QColor& c)
{
    p.setPen(stroke(c, 1.6));
    for (double y : {6.0, 12.0, 18.0}) {
        p.drawLine(QPointF(9, y), QPointF(21, y));
        p.drawPoint(QPointF(4.5, y));
    }
}

void checkCircle(QPainter& p, const QColor& c)
{
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawEllipse(QPointF(12, 12), 10, 10);
    p.setPen(stroke(Qt::white, 2.0));
    p.setBrush(Qt::NoBrush);
    QPainterPath tick;
    tick.moveTo(7.5, 12.5);
    tick.lineTo(10.8, 15.6);
    tick.lineTo(16.5, 8.8);
    p.drawPath(tick);
}

void checkShield(QPainter& p, const QColor& c)
{
    QPainterPath shield;
    shield.moveTo(12, 2.5);
    shield.lineTo(20, 5.5);
    shield.cubicTo(20, 13, 17, 18.5, 12, 21.5);
    shield.cubicTo(7, 18.5, 4, 13, 4, 5.5);
    shield.closeSubpath();
    p.setPen(stroke(c, 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawPath(shield);
    QPainterPath tick;
    tick.moveTo(8.5, 12);
    tick.lineTo(11, 14.5);
    tick.lineTo(15.5, 9);
    p.setPen(stroke(c, 1.8));
    p.drawPath(tick);
}

void circleFallback(QPainter& p, const QColor& c)
{
    p.setPen(stroke(c, 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(12, 12), 8, 8);
}

void halfCircle(QPainter& p, const QColor& c)
{
    p.setPen(stroke(c, 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(12, 12), 8.5, 8.5);
    QPainterPath left;
    left.moveTo(12, 3.5);
    left.arcTo(QRectF(3.5, 3.5, 17, 17), 90, 180);
    left.closeSubpath();
    p.fillPath(left, c);
}

void globe(QPainter& p, const QColor& c)
{
    p.setPen(stroke(c, 1.4));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(12, 12), 8.5, 8.5);
    p.drawEllipse(QPointF(12, 12), 3.8, 8.5);
    p.drawLine(QPointF(3.5, 12), QPointF(20.5, 12));
    p.drawLine(QPointF(5, 7.5), QPointF(19, 7.5));
    p.drawLine(QPointF(5, 16.5), QPointF(19, 16.5));
}

void infoCircle(QPainter& p, const QColor& c)
{
    p.setPen(stroke(c, 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(12, 12), 8.5, 8.5);
    p.drawLine(QPointF(12, 11), QPointF(12, 16.5));
    p.setPen(stroke(c, 2.2));
    p.drawPoint(QPointF(12, 7.8));
}

void arrowDownCircle(QPainter& p, const QColor& c)
{
    p.setPen(stroke(c, 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(12, 12), 8.5, 8.5);
    p.drawLine(QPointF(12, 7), QPointF(12, 16.5));
    p.drawLine(QPointF(8.5, 13), QPointF(12, 16.5));
    p.drawLine(QPointF(15.5, 13), QPointF(12, 16.5));
}

void speechBubbles(QPainter& p, const QColor& c)
{
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawRoundedRect(QRectF(2.5, 4, 12, 9), 3, 3);
    QPolygonF tail{{5, 12}, {4.5, 16}, {9, 12.5}};
    p.drawPolygon(tail);
    p.setPen(stroke(c, 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(10, 9, 11.5, 8.5), 3, 3);
    p.drawLine(QPointF(18.5, 17.5), QPointF(19.5, 20.5));
}

void envelope(QPainter& p, const QColor& c)
{
    p.setPen(stroke(c, 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(3.5, 6, 17, 12), 2, 2);
    p.drawPolyline(QPolygonF{{4, 7}, {12, 13}, {20, 7}});
}

const QHash<QString, Draw>& table()
{
    static const QHash<QString, Draw> t = {
        {QStringLiteral("gauge.with.dots.needle.33percent"), gauge},
        {QStringLiteral("wind"), wind},
        {QStringLiteral("bolt.fill"), bolt},
        {QStringLiteral("moon.zzz"), moonZzz},
        {QStringLiteral("wrench.and.screwdriver"), wrench},
        {QStringLiteral("gearshape"), gearshape},
        {QStringLiteral("power"), powerSymbol},
        {QStringLiteral("chevron.right"), chevronRight},
        {QStringLiteral("cpu"), cpu},
        {QStringLiteral("memorychip"), memorychip},
        {QStringLiteral("internaldrive"), drive},
        {QStringLiteral("thermometer.medium"), thermometer},
        {QStringLiteral("fan"), fan},
        {QStringLiteral("battery.75percent"), battery},
        {QStringLiteral("clock.arrow.circlepath"), clockArrow},
        {QStringLiteral("exclamationmark.triangle.fill"), warning},
        {QStringLiteral("arrow.uturn.backward"), uturn},
        {QStringLiteral("list.bullet"), listBullet},
        {QStringLiteral("checkmark.circle.fill"), checkCircle},
        {QStringLiteral("checkmark.shield"), checkShield},
        {QStringLiteral("circle.lefthalf.filled"), halfCircle},
        {QStringLiteral("globe"), globe},
        {QStringLiteral("info.circle"), infoCircle},
        {QStringLiteral("arrow.down.circle"), arrowDownCircle},
        {QStringLiteral("bubble.left.and.exclamationmark.bubble.right.fill"), speechBubbles},
        {QStringLiteral("envelope"), envelope},
        {QStringLiteral("circle"), circleFallback},
    };
    return t;
}

} // namespace

bool SymbolPainter::knows(const QString& name) { return table().contains(name); }

void SymbolPainter::paint(QPainter& painter, const QString& name, const QRectF& rect, const QColor& color)
{
    const double side = std::min(rect.width(), rect.height());
    if (side <= 0)
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(rect.center().x() - side / 2, rect.center().y() - side / 2);
    painter.scale(side / 24.0, side / 24.0);
    const auto it = table().constFind(name);
    (it != table().constEnd() ? *it : Draw(circleFallback))(painter, color);
    painter.restore();
}

} // namespace vantrel
