#pragma once
// The release manifest published beside each release ("latest.json"): what the newest
// release is and where its installer package lives.
#include <optional>

#include <QByteArray>
#include <QString>

namespace vantrel {

struct VantrelReleaseManifest {
    struct Artifact {
        QString fileName;
        QString url;
        QString sha256;
        qint64 sizeBytes = 0;
        bool operator==(const Artifact&) const = default;
    };

    QString schemaVersion;
    QString channel;
    QString version;
    QString bundleVersion;
    QString platform;
    QString minimumMacOS;
    Artifact artifact;

    bool operator==(const VantrelReleaseManifest&) const = default;

    // Nothing unless the bytes are a JSON object with every key present and of its type.
    static std::optional<VantrelReleaseManifest> decode(const QByteArray& bytes);
};

} // namespace vantrel
