#include "base/Preferences.h"

#include <cmath>
#include <functional>

#include <QEvent>
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

// QSettings writes pending changes by itself when its event loop comes round; that write is
// checked here too, so a failure is logged whichever way the file was written.
class SettingsFilePreferences::AutoSyncingSettings final : public QSettings {
public:
    AutoSyncingSettings(const QString& filePath, std::function<void(bool ok)> written)
        : QSettings(filePath, QSettings::IniFormat)
        , written_(std::move(written))
    { }

protected:
    bool event(QEvent* event) override
    {
        if (event->type() != QEvent::UpdateRequest)
            return QSettings::event(event);
        sync();
        written_(status() == QSettings::NoError);
        return true;
    }

private:
    std::function<void(bool ok)> written_;
};

SettingsFilePreferences::SettingsFilePreferences(const QString& filePath)
    : settings_(std::make_unique<AutoSyncingSettings>(filePath, [this](bool ok) { noteWrite(ok); }))
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
    if (lastSyncFailed_) {
        // QSettings keeps reporting an error once a write failed, so a new attempt starts
        // from a fresh object holding the same values.
        QMap<QString, QVariant> values;
        for (const QString& key : settings_->allKeys())
            values.insert(key, settings_->value(key));
        const QString file = settings_->fileName();
        settings_ = std::make_unique<AutoSyncingSettings>(file, [this](bool ok) { noteWrite(ok); });
        settings_->clear();
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            settings_->setValue(it.key(), it.value());
    }
    settings_->sync();
    const bool ok = settings_->status() == QSettings::NoError;
    noteWrite(ok);
    return ok;
}

void SettingsFilePreferences::noteWrite(bool ok)
{
    if (!ok && !lastSyncFailed_)
        logLine(QStringLiteral("Preferences: could not write %1; the settings on disk were kept as they were and the "
                               "change holds only until the application ends")
                    .arg(settings_->fileName()));
    if (ok && lastSyncFailed_)
        logLine(QStringLiteral("Preferences: writing %1 works again").arg(settings_->fileName()));
    lastSyncFailed_ = !ok;
}

} // namespace vantrel
