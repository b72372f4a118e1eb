#pragma once
// The application icon and the status item's 18×18 copy of it.
#include <QIcon>
#include <QImage>

namespace vantrel {

// The installed icon file when there is one (share/vantrel/icons/vantrel.png beside the
// binary), otherwise a drawn fan blade mark.
QIcon applicationIcon();

// The drawn fan blade mark at size×size; the installed icon files are rendered from it.
QImage drawnIconImage(int size);

// An 18×18 copy of appIcon; without one the theme's "wind" symbol; failing that an empty image.
QIcon statusItemIcon(const QIcon& appIcon);

} // namespace vantrel
