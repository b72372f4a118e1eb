#pragma once
// Dotted numeric versions and whether a release is newer than the running application.
#include <optional>

#include <QList>
#include <QString>

namespace vantrel {

class VantrelUpdateVersionPolicy {
public:
    // "1.10.2" -> {1, 10, 2}; nothing for empty text, letters, signs, empty pieces or overflow.
    static std::optional<QList<qint64>> numericComponents(const QString& text);
    // -1, 0 or 1; a missing component reads as 0, so 1.2 equals 1.2.0.
    static int compare(const QList<qint64>& a, const QList<qint64>& b);
    static bool isNewer(const QString& manifestVersion, const QString& manifestBundleVersion,
                        const QString& installedVersion, const QString& installedBundleVersion);
};

} // namespace vantrel
