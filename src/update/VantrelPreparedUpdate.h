#pragma once
// A release whose package is downloaded into the staging folder and verified by the daemon.
#include <QString>

#include "update/VantrelReleaseManifest.h"

namespace vantrel {

struct VantrelPreparedUpdate {
    VantrelReleaseManifest manifest;
    QString localPackageURL; // the staged package file

    // Deletes the staged package.
    void discard() const;
    bool isNewerThanInstalled(const QString& installedVersion, const QString& installedBundleVersion) const
    {
        return isNewerThanInstalled(manifest, installedVersion, installedBundleVersion);
    }
    static bool isNewerThanInstalled(const VantrelReleaseManifest& manifest, const QString& installedVersion,
                                     const QString& installedBundleVersion);
};

} // namespace vantrel
