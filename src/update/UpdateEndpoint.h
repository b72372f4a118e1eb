#pragma once
// Where releases are published: the manifest address (its host is the only download host)
// and an extra certificate authority to trust for it. Both are build settings; a
// development build may point them at a local server through VANTREL_UPDATE_MANIFEST_URL
// and VANTREL_UPDATE_CA_FILE.
#include <QProcessEnvironment>
#include <QString>
#include <QUrl>

namespace vantrel {

struct UpdateEndpoint {
    QUrl manifestURL;
    // A PEM file whose certificates are added to the system's trusted roots; empty: none.
    QString caFile;

    // Packages come from the manifest's host and, for a development server, its port.
    QString downloadHost() const { return manifestURL.host(); }
    int downloadPort() const { return manifestURL.port(); }
    // An https address with a host, no user, query or fragment, path "/downloads/latest.json".
    bool isTrustedManifestURL() const;

    static UpdateEndpoint buildSettings();
    // The build settings, overridden by the environment when allowOverride (development builds).
    static UpdateEndpoint fromEnvironment(const QProcessEnvironment& environment, bool allowOverride);
};

} // namespace vantrel
