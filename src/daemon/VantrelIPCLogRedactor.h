#pragma once
// Hides sensitive values in daemon exchanges before they are logged; what is sent and
// returned is never altered.
#include <QJsonArray>
#include <QJsonObject>
#include <QString>

namespace vantrel {

class VantrelIPCLogRedactor {
public:
    static const QString redactedValue; // "<redacted>"

    // A copy of object in which every value under a sensitive key is "<redacted>",
    // walking nested objects and arrays.
    static QJsonObject redact(const QJsonObject& object);
    // True when the lower-cased key contains one of the sensitive fragments.
    static bool isSensitiveKey(const QString& key);

private:
    static QJsonArray redactArray(const QJsonArray& array);
};

} // namespace vantrel
