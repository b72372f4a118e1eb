#pragma once
// The notes of the running release, shipped with the application and shown once after an update.
#include <map>
#include <optional>

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace vantrel {

class VantrelUpdateReleaseNotes {
public:
    struct LocalizedNotes {
        QString title;
        QStringList items;
        bool operator==(const LocalizedNotes&) const = default;
    };

    struct Document {
        QString schemaVersion;
        QString version;
        QString bundleVersion;
        std::map<QString, LocalizedNotes> localized;

        bool isStructurallyValid() const;
        // The notes for language, falling back through the Chinese variants and then English.
        std::optional<LocalizedNotes> notes(const QString& language) const;
    };

    // Nothing for text that is not a valid document.
    static std::optional<Document> parse(const QByteArray& bytes);
    // The document in file path; nothing when it is missing, unreadable or invalid.
    static std::optional<Document> load(const QString& path);
    // The notes shipped with the application (":/vantrel/ReleaseNotes.json", or the install's
    // share/vantrel/ReleaseNotes.json when present).
    static std::optional<Document> loadBundled();
};

} // namespace vantrel
