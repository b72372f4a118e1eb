#include "base/Preferences.h"

#include <cmath>

#include <QSettings>

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

SettingsFilePreferences::SettingsFilePreferences(const QString& filePath)
    : settings_(std::make_unique<QSettings>(filePath, QSettings::IniFormat))
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
void SettingsFilePreferences::sync()
{
    QMutexLocker lock(&mutex_);
    settings_->sync();
}

} // namespace vantrel
