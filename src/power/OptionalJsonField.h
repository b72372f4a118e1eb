#pragma once
// Reading an optional key of a decoded record: absent or null leaves the field empty,
// a present value of the wrong type fails the whole record.
#include <optional>

#include <QJsonObject>
#include <QJsonValue>
#include <QString>

namespace vantrel {

template <class T, class Convert>
bool readOptionalField(const QJsonObject& o, const QString& key, std::optional<T>& out, Convert convert)
{
    const QJsonValue v = o.value(key);
    if (v.isUndefined() || v.isNull())
        return true;
    out = convert(v);
    return out.has_value();
}

} // namespace vantrel
