#include "platform/sim/SimStateDirectory.h"

#include <QProcessEnvironment>

namespace vantrel {

QString simStateDirectory(const Paths& paths)
{
    const QString fromEnvironment
        = QProcessEnvironment::systemEnvironment().value(QStringLiteral("VANTREL_SIM_STATE_DIR"));
    return fromEnvironment.isEmpty() ? paths.simStateDirectory() : fromEnvironment;
}

} // namespace vantrel
