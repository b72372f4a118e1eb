#pragma once
// The user's preferences by key, with user-defaults style typed readers: a reader returns
// its fallback when the key is absent or holds something of another kind.
#include <memory>
#include <optional>

#include <QByteArray>
#include <QMap>
#include <QMutex>
#include <QString>
#include <QStringList>
#include <QVariant>

#include "base/SettingsWriteState.h"

class QSettings;

namespace vantrel {

class Preferences {
public:
    virtual ~Preferences() = default;
    virtual bool exists(const QString& key) const = 0;
    // An invalid QVariant when absent.
    virtual QVariant value(const QString& key) const = 0;
    virtual void setValue(const QString& key, const QVariant& value) = 0;
    virtual void remove(const QString& key) = 0;
    // Writes pending changes; false when they could not be written (the stored copy is kept).
    virtual bool sync() { return true; }
    // Whether changes reach the stored copy; a backend that cannot fail leaves it untouched.
    const SettingsWriteState& writeState() const { return writeState_; }

    std::optional<bool> optionalBool(const QString& key) const;
    std::optional<qint64> optionalInt(const QString& key) const;
    std::optional<double> optionalDouble(const QString& key) const;
    std::optional<QString> optionalString(const QString& key) const;

    bool boolValue(const QString& key, bool fallback = false) const { return optionalBool(key).value_or(fallback); }
    int intValue(const QString& key, int fallback = 0) const;
    double doubleValue(const QString& key, double fallback = 0.0) const
    {
        return optionalDouble(key).value_or(fallback);
    }
    QString stringValue(const QString& key, const QString& fallback = {}) const
    {
        return optionalString(key).value_or(fallback);
    }
    QByteArray dataValue(const QString& key) const;
    QStringList stringListValue(const QString& key) const;

protected:
    SettingsWriteState writeState_;
};

// Preferences kept in memory: the test backend.
class MemoryPreferences final : public Preferences {
public:
    bool exists(const QString& key) const override;
    QVariant value(const QString& key) const override;
    void setValue(const QString& key, const QVariant& value) override;
    void remove(const QString& key) override;
    QStringList keys() const;

private:
    mutable QMutex mutex_;
    QMap<QString, QVariant> values_;
};

// Preferences in a Qt settings (INI) file.
class SettingsFilePreferences final : public Preferences {
public:
    explicit SettingsFilePreferences(const QString& filePath);
    ~SettingsFilePreferences() override;
    bool exists(const QString& key) const override;
    QVariant value(const QString& key) const override;
    void setValue(const QString& key, const QVariant& value) override;
    void remove(const QString& key) override;
    // A failed write (full disk, read-only folder) keeps the file on disk as it was, is
    // logged once until a write succeeds again, and shows in writeState() with its reason.
    bool sync() override;

private:
    class AutoSyncingSettings;
    void autoSync();
    void noteWrite(bool ok);
    qint64 estimatedFileSize() const;
    mutable QMutex mutex_;
    std::unique_ptr<AutoSyncingSettings> settings_;
};

} // namespace vantrel
