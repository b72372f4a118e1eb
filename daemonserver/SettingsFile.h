#pragma once
// A JSON settings file of named sections ("fan", "battery" …) in a daemon's state folder,
// read whole and replaced atomically one section at a time.
#include <QJsonObject>
#include <QString>

namespace vantrel::daemonserver {

class SettingsFile {
public:
    enum class LoadStatus {
        Loaded,
        Missing,
        Invalid
    };
    struct Loaded {
        LoadStatus status = LoadStatus::Missing;
        QJsonObject settings;
        QString error;
    };

    SettingsFile(QString path, QString schema)
        : path_(std::move(path))
        , schema_(std::move(schema))
    { }

    QString path() const { return path_; }
    bool exists() const;
    Loaded load() const;
    // Replaces one section and writes the file (with "schema_version" and "updated_at").
    bool storeSection(const QString& section, const QJsonValue& value, double epochSeconds);

private:
    QString path_;
    QString schema_;
};

} // namespace vantrel::daemonserver
