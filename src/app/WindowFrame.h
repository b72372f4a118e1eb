#pragma once
// The main window's saved frame: stored as "x y width height" under the autosave name,
// used only when it still lies on a connected screen.
#include <optional>

#include <QList>
#include <QRect>
#include <QString>

namespace vantrel {

namespace WindowFrame {

inline const QString autosaveName = QStringLiteral("VantrelMainWindow");

QString encode(const QRect& frame);
// Nothing for text that is not four integers with a positive size.
std::optional<QRect> decode(const QString& text);
// True when frame intersects one of the screens' visible areas.
bool isVisibleOnAnyScreen(const QRect& frame, const QList<QRect>& visibleScreenAreas);
// The frame of size in the middle of area: half the free width and height on each side.
QRect centred(const QSize& size, const QRect& area);

} // namespace WindowFrame

} // namespace vantrel
