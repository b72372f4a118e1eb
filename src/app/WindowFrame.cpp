#include "app/WindowFrame.h"

#include <QStringList>

namespace vantrel::WindowFrame {

QString encode(const QRect& frame)
{
    return QStringLiteral("%1 %2 %3 %4").arg(frame.x()).arg(frame.y()).arg(frame.width()).arg(frame.height());
}

std::optional<QRect> decode(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (parts.size() != 4)
        return std::nullopt;
    int values[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        values[i] = parts[i].toInt(&ok);
        if (!ok)
            return std::nullopt;
    }
    if (values[2] <= 0 || values[3] <= 0)
        return std::nullopt;
    return QRect(values[0], values[1], values[2], values[3]);
}

bool isVisibleOnAnyScreen(const QRect& frame, const QList<QRect>& visibleScreenAreas)
{
    for (const QRect& area : visibleScreenAreas)
        if (area.intersects(frame))
            return true;
    return false;
}

QRect centred(const QSize& size, const QRect& area)
{
    return QRect(area.x() + (area.width() - size.width()) / 2, area.y() + (area.height() - size.height()) / 2,
                 size.width(), size.height());
}

} // namespace vantrel::WindowFrame
