#include "app/AppBundle.h"

#include <QCoreApplication>
#include <QDir>

namespace vantrel {

AppBundle AppBundle::current(const VantrelRuntimeEnvironment& environment)
{
    return {environment.bundleIdentifier(), QDir::cleanPath(QCoreApplication::applicationFilePath())};
}

QString AppBundle::canonicalLocation() { return QStringLiteral(VANTREL_INSTALLED_BINARY); }

} // namespace vantrel
