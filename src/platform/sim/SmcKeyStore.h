#pragma once
// The simulated SMC's keys as vantrel-sim writes them to "smc-keys.txt":
//   KEY TYPE HEX      e.g. "TG0D flt_ 00003d42"
// KEY and TYPE are four characters, a space inside them written as "_" ("flt_" = "flt ");
// HEX is the raw value, lowercase, in SMC byte order (flt little-endian; ui16, ui32, fpe2,
// sp78 big-endian). "#" starts a comment line.
#include <cstdint>
#include <optional>

#include <QByteArray>
#include <QHash>
#include <QString>

namespace vantrel {

struct SmcKeyValue {
    QString type;     // four characters, e.g. "flt "
    QByteArray bytes; // at most 32
    bool operator==(const SmcKeyValue&) const = default;
};

class SmcKeyStore {
public:
    static constexpr int maximumValueBytes = 32;

    // Reads the key lines; malformed lines are skipped and counted.
    static SmcKeyStore parse(const QByteArray& text);
    // The store of a key file; an empty store when it cannot be read.
    static SmcKeyStore load(const QString& path);

    std::optional<SmcKeyValue> value(const QString& key) const;
    qsizetype size() const { return keys_.size(); }
    int skippedLines() const { return skippedLines_; }

    // One line in the file's format (for writers of key files and for tests).
    static QByteArray formatLine(const QString& key, const SmcKeyValue& value);

private:
    QHash<QString, SmcKeyValue> keys_;
    int skippedLines_ = 0;
};

} // namespace vantrel
