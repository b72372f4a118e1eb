#include "app/AppIcon.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace vantrel {
namespace {

constexpr int kStatusIconSize = 18;

} // namespace

QImage drawnIconImage(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds(0, 0, size, size);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x0A, 0x84, 0xFF));
    painter.drawEllipse(bounds.adjusted(size * 0.04, size * 0.04, -size * 0.04, -size * 0.04));
    // Three curved blades around a hub.
    painter.translate(bounds.center());
    painter.setBrush(Qt::white);
    for (int blade = 0; blade < 3; ++blade) {
        QPainterPath path;
        path.moveTo(0, 0);
        path.cubicTo(size * 0.10, -size * 0.20, size * 0.34, -size * 0.30, size * 0.36, -size * 0.08);
        path.cubicTo(size * 0.30, -size * 0.02, size * 0.12, 0, 0, 0);
        painter.drawPath(path);
        painter.rotate(120);
    }
    painter.setBrush(QColor(0x0A, 0x84, 0xFF));
    painter.drawEllipse(QPointF(0, 0), size * 0.07, size * 0.07);
    painter.end();
    return image;
}

QIcon applicationIcon()
{
    const QString installed
        = QCoreApplication::applicationDirPath() + QStringLiteral("/../share/vantrel/icons/vantrel.png");
    if (QFileInfo(installed).isFile()) {
        QIcon icon(installed);
        if (!icon.isNull())
            return icon;
    }
    QIcon icon;
    for (int size : {16, 18, 32, 64, 128, 256})
        icon.addPixmap(QPixmap::fromImage(drawnIconImage(size)));
    return icon;
}

QIcon statusItemIcon(const QIcon& appIcon)
{
    if (!appIcon.isNull())
        return QIcon(appIcon.pixmap(kStatusIconSize, kStatusIconSize));
    const QIcon symbol = QIcon::fromTheme(QStringLiteral("wind"));
    if (!symbol.isNull())
        return QIcon(symbol.pixmap(kStatusIconSize, kStatusIconSize));
    QPixmap empty(kStatusIconSize, kStatusIconSize);
    empty.fill(Qt::transparent);
    return QIcon(empty);
}

} // namespace vantrel
