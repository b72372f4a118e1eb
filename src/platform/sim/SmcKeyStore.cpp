#include "platform/sim/SmcKeyStore.h"

#include "base/AtomicFile.h"

namespace vantrel {
namespace {

constexpr qint64 maximumFileBytes = 4 * 1024 * 1024;

QString fourCharacters(const QByteArray& field)
{
    QString s = QString::fromLatin1(field);
    s.replace(QLatin1Char('_'), QLatin1Char(' '));
    return s;
}

std::optional<QByteArray> hexBytes(const QByteArray& hex)
{
    if (hex.isEmpty() || hex.size() % 2 != 0 || hex.size() > 2 * SmcKeyStore::maximumValueBytes)
        return std::nullopt;
    for (const char c : hex)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')))
            return std::nullopt;
    return QByteArray::fromHex(hex);
}

} // namespace

SmcKeyStore SmcKeyStore::parse(const QByteArray& text)
{
    SmcKeyStore store;
    for (QByteArray line : text.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.trimmed().isEmpty() || line.trimmed().startsWith('#'))
            continue;
        // The key is positional so that a key ending in a space written literally still reads.
        if (line.size() < 6 || line.at(4) != ' ') {
            ++store.skippedLines_;
            continue;
        }
        const QList<QByteArray> rest = line.mid(5).simplified().split(' ');
        const auto bytes = rest.size() == 2 && rest[0].size() == 4 ? hexBytes(rest[1]) : std::nullopt;
        if (!bytes) {
            ++store.skippedLines_;
            continue;
        }
        store.keys_.insert(fourCharacters(line.left(4)), SmcKeyValue{fourCharacters(rest[0]), *bytes});
    }
    return store;
}

SmcKeyStore SmcKeyStore::load(const QString& path)
{
    const auto text = readFile(path, maximumFileBytes);
    return text ? parse(*text) : SmcKeyStore();
}

std::optional<SmcKeyValue> SmcKeyStore::value(const QString& key) const
{
    const auto it = keys_.constFind(key);
    if (it == keys_.constEnd())
        return std::nullopt;
    return *it;
}

QByteArray SmcKeyStore::formatLine(const QString& key, const SmcKeyValue& value)
{
    QString k = key;
    QString t = value.type;
    k.replace(QLatin1Char(' '), QLatin1Char('_'));
    t.replace(QLatin1Char(' '), QLatin1Char('_'));
    return k.toLatin1() + ' ' + t.toLatin1() + ' ' + value.bytes.toHex();
}

} // namespace vantrel
