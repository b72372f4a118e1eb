#include "update/VantrelPreparedUpdate.h"

#include <QFile>

#include "update/VantrelUpdateVersionPolicy.h"

namespace vantrel {

void VantrelPreparedUpdate::discard() const
{
    if (!localPackageURL.isEmpty())
        QFile::remove(localPackageURL);
}

bool VantrelPreparedUpdate::isNewerThanInstalled(const VantrelReleaseManifest& manifest,
                                                 const QString& installedVersion, const QString& installedBundleVersion)
{
    return VantrelUpdateVersionPolicy::isNewer(manifest.version, manifest.bundleVersion, installedVersion,
                                               installedBundleVersion);
}

} // namespace vantrel
