#pragma once
// The application icon and the status item's 18×18 copy of it.
#include <QIcon>

namespace vantrel {

// The installed icon file when there is one (share/vantrel/icons/vantrel.png beside the
// binary), otherwise a drawn fan blade mark.
QIcon applicationIcon();

// An 18×18 copy of appIcon; without one the theme's "wind" symbol; failing that an empty image.
QIcon statusItemIcon(const QIcon& appIcon);

} // namespace vantrel
