#pragma once
// The running application as the launch-at-login repair sees it: its identifier and where it lives.
#include <QString>

#include "app/VantrelRuntimeEnvironment.h"

namespace vantrel {

struct AppBundle {
    QString identifier;
    // The running executable's cleaned absolute path.
    QString path;

    static AppBundle current(const VantrelRuntimeEnvironment& environment);
    // Where the installed build lives: the install prefix's binary.
    static QString canonicalLocation();
};

} // namespace vantrel
