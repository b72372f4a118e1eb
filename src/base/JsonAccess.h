#pragma once
// The typing rules every reader of daemon replies and stored records uses:
// string = JSON string; integer = integral JSON number; double = any JSON number;
// strict boolean = JSON true/false only; lenient = number or numeric string.
// A present value of the wrong type reads like a missing one.
#include <optional>

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>

namespace vantrel::json {

std::optional<QString> asString(const QJsonValue& v);
std::optional<qint64> asInteger(const QJsonValue& v);
std::optional<double> asDouble(const QJsonValue& v);
std::optional<bool> asStrictBool(const QJsonValue& v);
std::optional<double> asLenientDouble(const QJsonValue& v);
std::optional<qint64> asLenientInteger(const QJsonValue& v);

inline std::optional<QString> string(const QJsonObject& o, const QString& key) { return asString(o.value(key)); }
inline std::optional<qint64> integer(const QJsonObject& o, const QString& key) { return asInteger(o.value(key)); }
inline std::optional<double> number(const QJsonObject& o, const QString& key) { return asDouble(o.value(key)); }
inline std::optional<bool> strictBool(const QJsonObject& o, const QString& key) { return asStrictBool(o.value(key)); }
inline std::optional<double> lenientDouble(const QJsonObject& o, const QString& key)
{
    return asLenientDouble(o.value(key));
}
inline std::optional<qint64> lenientInteger(const QJsonObject& o, const QString& key)
{
    return asLenientInteger(o.value(key));
}
// The nested object at key, or nothing when absent or not an object.
std::optional<QJsonObject> object(const QJsonObject& o, const QString& key);
std::optional<QJsonArray> array(const QJsonObject& o, const QString& key);

// True exactly when o["status"] is the string "ok".
bool isOkStatus(const QJsonObject& o);

// Parses bytes as a JSON object; nothing (and the reason in *error) otherwise.
std::optional<QJsonObject> parseObject(const QByteArray& bytes, QString* error = nullptr);
QByteArray compact(const QJsonObject& o);
QByteArray sortedCompact(const QJsonObject& o); // keys in sorted order (QJsonObject keeps them sorted)

} // namespace vantrel::json
