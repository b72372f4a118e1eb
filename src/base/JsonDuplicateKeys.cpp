#include "base/JsonDuplicateKeys.h"

#include <algorithm>
#include <vector>

#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>

namespace vantrel::json {

namespace {

struct Container {
    bool isObject = false;
    bool expectingKey = false;
    QSet<QString> keys;
};

// The string token starting at the quote at `start`; *end receives the index of its closing quote.
QString decodeStringToken(QByteArrayView text, qsizetype start, qsizetype* end)
{
    bool escaped = false;
    qsizetype i = start + 1;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\') {
            escaped = true;
            ++i; // the escaped character cannot close the string
        } else if (c == '"') {
            break;
        }
    }
    // A text that ends right after a backslash leaves i one past its end.
    i = std::min(i, text.size());
    *end = i;
    const QByteArrayView body = text.sliced(start + 1, std::max<qsizetype>(0, i - start - 1));
    if (!escaped)
        return QString::fromUtf8(body);
    // Escapes (\u0063, \/, surrogate pairs) are decoded by the JSON reader itself so equal
    // keys compare equal however they were spelled.
    QByteArray wrapped = "[\"";
    wrapped.append(body.data(), body.size());
    wrapped.append("\"]");
    return QJsonDocument::fromJson(wrapped).array().at(0).toString();
}

} // namespace

std::optional<QString> firstDuplicateKey(QByteArrayView text)
{
    std::vector<Container> open;
    for (qsizetype i = 0; i < text.size(); ++i) {
        switch (text[i]) {
        case '{':
            open.push_back({true, true, {}});
            break;
        case '[':
            open.push_back({false, false, {}});
            break;
        case '}':
        case ']':
            if (!open.empty())
                open.pop_back();
            break;
        case ',':
            if (!open.empty() && open.back().isObject)
                open.back().expectingKey = true;
            break;
        case '"': {
            qsizetype end = i;
            QString value = decodeStringToken(text, i, &end);
            i = end;
            if (!open.empty() && open.back().isObject && open.back().expectingKey) {
                open.back().expectingKey = false;
                if (open.back().keys.contains(value))
                    return value;
                open.back().keys.insert(value);
            }
            break;
        }
        default:
            break;
        }
    }
    return std::nullopt;
}

} // namespace vantrel::json
