#include "base/JsonAccess.h"

#include <cmath>

#include <QJsonDocument>

namespace vantrel::json {

std::optional<QString> asString(const QJsonValue& v)
{
    if (!v.isString())
        return std::nullopt;
    return v.toString();
}

std::optional<qint64> asInteger(const QJsonValue& v)
{
    if (!v.isDouble())
        return std::nullopt;
    // Qt keeps integral literals as 64-bit integers; fall back to the double for the rest.
    const QVariant var = v.toVariant();
    if (var.typeId() == QMetaType::LongLong)
        return var.toLongLong();
    const double d = v.toDouble();
    if (!std::isfinite(d) || d != std::trunc(d) || std::fabs(d) > 9.0e18)
        return std::nullopt;
    return static_cast<qint64>(d);
}

std::optional<double> asDouble(const QJsonValue& v)
{
    if (!v.isDouble())
        return std::nullopt;
    return v.toDouble();
}

std::optional<bool> asStrictBool(const QJsonValue& v)
{
    if (!v.isBool())
        return std::nullopt;
    return v.toBool();
}

std::optional<double> asLenientDouble(const QJsonValue& v)
{
    if (v.isDouble())
        return v.toDouble();
    if (v.isString()) {
        bool ok = false;
        const double d = v.toString().trimmed().toDouble(&ok);
        if (ok && std::isfinite(d))
            return d;
    }
    return std::nullopt;
}

std::optional<qint64> asLenientInteger(const QJsonValue& v)
{
    if (auto i = asInteger(v))
        return i;
    auto d = asLenientDouble(v);
    if (!d || std::fabs(*d) > 9.0e18)
        return std::nullopt;
    return static_cast<qint64>(*d);
}

std::optional<QJsonObject> object(const QJsonObject& o, const QString& key)
{
    const QJsonValue v = o.value(key);
    if (!v.isObject())
        return std::nullopt;
    return v.toObject();
}

std::optional<QJsonArray> array(const QJsonObject& o, const QString& key)
{
    const QJsonValue v = o.value(key);
    if (!v.isArray())
        return std::nullopt;
    return v.toArray();
}

bool isOkStatus(const QJsonObject& o) { return string(o, QStringLiteral("status")) == QStringLiteral("ok"); }

std::optional<QJsonObject> parseObject(const QByteArray& bytes, QString* error)
{
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        if (error)
            *error = parseError.errorString();
        return std::nullopt;
    }
    if (!doc.isObject()) {
        if (error)
            *error = QStringLiteral("root is not an object");
        return std::nullopt;
    }
    return doc.object();
}

QByteArray compact(const QJsonObject& o) { return QJsonDocument(o).toJson(QJsonDocument::Compact); }
QByteArray sortedCompact(const QJsonObject& o) { return compact(o); }

} // namespace vantrel::json
