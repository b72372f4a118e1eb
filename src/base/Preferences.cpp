#include "base/Preferences.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include <QEvent>
#include <QFileInfo>
#include <QSettings>

#include "base/Log.h"

namespace vantrel {
namespace {

// The settings file stores scalars as text, so numbers and booleans are read back leniently.
std::optional<double> toNumber(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::Bool:
        return v.toBool() ? 1.0 : 0.0;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
        return v.toDouble();
    case QMetaType::QString:
    case QMetaType::QByteArray: {
        bool ok = false;
        const double d = v.toString().trimmed().toDouble(&ok);
        if (ok && std::isfinite(d))
            return d;
        return std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

} // namespace

std::optional<bool> Preferences::optionalBool(const QString& key) const
{
    const QVariant v = value(key);
    if (!v.isValid())
        return std::nullopt;
    if (v.typeId() == QMetaType::Bool)
        return v.toBool();
    const QString text = v.toString().trimmed().toLower();
    if (text == QLatin1String("true") || text == QLatin1String("yes"))
        return true;
    if (text == QLatin1String("false") || text == QLatin1String("no"))
        return false;
    if (auto n = toNumber(v))
        return *n != 0.0;
    return std::nullopt;
}

std::optional<qint64> Preferences::optionalInt(const QString& key) const
{
    auto n = toNumber(value(key));
    if (!n || std::fabs(*n) > 9.0e18)
        return std::nullopt;
    return static_cast<qint64>(*n);
}

std::optional<double> Preferences::optionalDouble(const QString& key) const { return toNumber(value(key)); }

std::optional<QString> Preferences::optionalString(const QString& key) const
{
    const QVariant v = value(key);
    if (v.typeId() == QMetaType::QString)
        return v.toString();
    if (v.typeId() == QMetaType::QByteArray)
        return QString::fromUtf8(v.toByteArray());
    return std::nullopt;
}

int Preferences::intValue(const QString& key, int fallback) const
{
    auto v = optionalInt(key);
    if (!v || *v < INT32_MIN || *v > INT32_MAX)
        return fallback;
    return static_cast<int>(*v);
}

QByteArray Preferences::dataValue(const QString& key) const
{
    const QVariant v = value(key);
    if (v.typeId() == QMetaType::QByteArray)
        return v.toByteArray();
    if (v.typeId() == QMetaType::QString)
        return v.toString().toUtf8();
    return {};
}

QStringList Preferences::stringListValue(const QString& key) const
{
    const QVariant v = value(key);
    if (v.typeId() == QMetaType::QStringList)
        return v.toStringList();
    if (v.typeId() == QMetaType::QVariantList) {
        QStringList out;
        for (const auto& item : v.toList())
            if (item.typeId() == QMetaType::QString)
                out << item.toString();
        return out;
    }
    if (v.typeId() == QMetaType::QString)
        return {v.toString()};
    return {};
}

bool MemoryPreferences::exists(const QString& key) const
{
    QMutexLocker lock(&mutex_);
    return values_.contains(key);
}
QVariant MemoryPreferences::value(const QString& key) const
{
    QMutexLocker lock(&mutex_);
    return values_.value(key);
}
void MemoryPreferences::setValue(const QString& key, const QVariant& value)
{
    QMutexLocker lock(&mutex_);
    values_.insert(key, value);
}
void MemoryPreferences::remove(const QString& key)
{
    QMutexLocker lock(&mutex_);
    values_.remove(key);
}
QStringList MemoryPreferences::keys() const
{
    QMutexLocker lock(&mutex_);
    return values_.keys();
}

// QSettings writes pending changes by itself when its event loop comes round; that write goes
// through SettingsFilePreferences::autoSync, so it is checked and retried like any other.
// Events and writes happen on the settings' thread.
class SettingsFilePreferences::AutoSyncingSettings final : public QSettings {
public:
    AutoSyncingSettings(const QString& filePath, std::function<void()> updateRequested)
        : QSettings(filePath, QSettings::IniFormat)
        , updateRequested_(std::move(updateRequested))
    { }

    // Writes the settings; true when they were written. QSettings keeps reporting an error once
    // a write failed, so after a failure the attempt starts from a fresh object with the same values.
    static bool write(std::unique_ptr<AutoSyncingSettings>& settings, bool afterFailure)
    {
        if (afterFailure)
            settings = replace(std::move(settings));
        settings->sync();
        return settings->status() == QSettings::NoError;
    }

protected:
    bool event(QEvent* event) override
    {
        if (event->type() != QEvent::UpdateRequest)
            return QSettings::event(event);
        // A replaced object's leftover request: its successor asks for itself.
        if (!replaced_)
            updateRequested_();
        return true;
    }

private:
    // The old object is kept until the next replacement: this may be running inside its
    // update event.
    static std::unique_ptr<AutoSyncingSettings> replace(std::unique_ptr<AutoSyncingSettings> old)
    {
        QMap<QString, QVariant> values;
        for (const QString& key : old->allKeys())
            values.insert(key, old->value(key));
        auto fresh = std::make_unique<AutoSyncingSettings>(old->fileName(), old->updateRequested_);
        fresh->clear();
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            fresh->setValue(it.key(), it.value());
        old->replaced_ = true;
        old->predecessor_.reset();
        fresh->predecessor_ = std::move(old);
        return fresh;
    }

    std::function<void()> updateRequested_;
    std::unique_ptr<AutoSyncingSettings> predecessor_;
    bool replaced_ = false;
};

SettingsFilePreferences::SettingsFilePreferences(const QString& filePath)
    : settings_(std::make_unique<AutoSyncingSettings>(filePath, [this] { autoSync(); }))
{ }

SettingsFilePreferences::~SettingsFilePreferences() { sync(); }

bool SettingsFilePreferences::exists(const QString& key) const
{
    QMutexLocker lock(&mutex_);
    return settings_->contains(key);
}
QVariant SettingsFilePreferences::value(const QString& key) const
{
    QMutexLocker lock(&mutex_);
    return settings_->value(key);
}
void SettingsFilePreferences::setValue(const QString& key, const QVariant& value)
{
    QMutexLocker lock(&mutex_);
    settings_->setValue(key, value);
}
void SettingsFilePreferences::remove(const QString& key)
{
    QMutexLocker lock(&mutex_);
    settings_->remove(key);
}
bool SettingsFilePreferences::sync()
{
    QMutexLocker lock(&mutex_);
    const bool ok = AutoSyncingSettings::write(settings_, writeState_.failing());
    lock.unlock();
    noteWrite(ok);
    return ok;
}

void SettingsFilePreferences::autoSync() { sync(); }

// Called without the lock held: observers of the write state may read the preferences.
void SettingsFilePreferences::noteWrite(bool ok)
{
    QString file;
    WriteFailureReason reason = WriteFailureReason::None;
    {
        QMutexLocker lock(&mutex_);
        file = settings_->fileName();
        if (!ok)
            reason = probeWriteFailure(file, estimatedFileSize());
    }
    const bool wasFailing = writeState_.failing();
    if (!ok && !wasFailing)
        logLine(QStringLiteral("Preferences: could not write %1 (%2); the settings on disk were kept as they were and "
                               "the change holds only until the application ends")
                    .arg(file, describeWriteFailure(reason)));
    if (ok && wasFailing)
        logLine(QStringLiteral("Preferences: writing %1 works again").arg(file));
    writeState_.note(reason);
}

// About what the settings take on disk, for finding out whether there is room for them.
qint64 SettingsFilePreferences::estimatedFileSize() const
{
    qint64 bytes = 0;
    for (const QString& key : settings_->allKeys())
        bytes += key.toUtf8().size() + settings_->value(key).toString().toUtf8().size() + 4;
    return std::max(bytes, QFileInfo(settings_->fileName()).size());
}

} // namespace vantrel
