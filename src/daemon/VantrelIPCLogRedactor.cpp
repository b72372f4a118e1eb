#include "daemon/VantrelIPCLogRedactor.h"

#include <array>

namespace vantrel {

const QString VantrelIPCLogRedactor::redactedValue = QStringLiteral("<redacted>");

bool VantrelIPCLogRedactor::isSensitiveKey(const QString& key)
{
    static const std::array<QString, 13> fragments
        = {QStringLiteral("token"),          QStringLiteral("secret"),      QStringLiteral("password"),
           QStringLiteral("sha256"),         QStringLiteral("webhook"),     QStringLiteral("path"),
           QStringLiteral("message"),        QStringLiteral("detail"),      QStringLiteral("output"),
           QStringLiteral("app_install_id"), QStringLiteral("device_hash"), QStringLiteral("email"),
           QStringLiteral("customer_id")};
    const QString lowered = key.toLower();
    for (const auto& fragment : fragments)
        if (lowered.contains(fragment))
            return true;
    return false;
}

QJsonObject VantrelIPCLogRedactor::redact(const QJsonObject& object)
{
    QJsonObject out;
    for (auto it = object.begin(); it != object.end(); ++it) {
        const QJsonValue value = it.value();
        if (isSensitiveKey(it.key()))
            out.insert(it.key(), redactedValue);
        else if (value.isObject())
            out.insert(it.key(), redact(value.toObject()));
        else if (value.isArray())
            out.insert(it.key(), redactArray(value.toArray()));
        else
            out.insert(it.key(), value);
    }
    return out;
}

QJsonArray VantrelIPCLogRedactor::redactArray(const QJsonArray& array)
{
    QJsonArray out;
    for (const QJsonValue& element : array) {
        if (element.isObject())
            out.append(redact(element.toObject()));
        else if (element.isArray())
            out.append(redactArray(element.toArray()));
        else
            out.append(element);
    }
    return out;
}

} // namespace vantrel
