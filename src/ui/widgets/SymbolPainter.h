#pragma once
// Draws the system symbols the screens name ("wind", "bolt.fill", "moon.zzz" …) as vector
// line art on a 24-unit grid, so icons stay sharp at any size without image files.
#include <QColor>
#include <QRectF>
#include <QString>

class QPainter;

namespace vantrel {

class SymbolPainter {
public:
    // Paints the symbol into rect (kept square and centred). Unknown names draw a circle.
    static void paint(QPainter& painter, const QString& name, const QRectF& rect, const QColor& color);
    static bool knows(const QString& name);
};

} // namespace vantrel
