#include "update/VantrelUpdateVersionPolicy.h"

#include <algorithm>
#include <limits>

namespace vantrel {

std::optional<QList<qint64>> VantrelUpdateVersionPolicy::numericComponents(const QString& text)
{
    QList<qint64> out;
    for (const QString& piece : text.split(QLatin1Char('.'), Qt::KeepEmptyParts)) {
        if (piece.isEmpty())
            return std::nullopt;
        qint64 value = 0;
        for (const QChar c : piece) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return std::nullopt;
            const int digit = c.unicode() - '0';
            if (value > (std::numeric_limits<qint64>::max() - digit) / 10)
                return std::nullopt;
            value = value * 10 + digit;
        }
        out.append(value);
    }
    return out;
}

int VantrelUpdateVersionPolicy::compare(const QList<qint64>& a, const QList<qint64>& b)
{
    const qsizetype n = std::max(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const qint64 x = i < a.size() ? a[i] : 0;
        const qint64 y = i < b.size() ? b[i] : 0;
        if (x != y)
            return x > y ? 1 : -1;
    }
    return 0;
}

bool VantrelUpdateVersionPolicy::isNewer(const QString& manifestVersion, const QString& manifestBundleVersion,
                                         const QString& installedVersion, const QString& installedBundleVersion)
{
    const auto mv = numericComponents(manifestVersion);
    const auto mb = numericComponents(manifestBundleVersion);
    const auto iv = numericComponents(installedVersion);
    const auto ib = numericComponents(installedBundleVersion);
    if (!mv || !mb || !iv || !ib)
        return false;
    // A release numbered "1.2.3.<build>" with bundle version 1 carries its build number in
    // the version itself: compare that tail with the installed build number.
    if (*mb == QList<qint64>{1} && mv->size() >= iv->size() + 2 && mv->mid(0, iv->size()) == *iv)
        return compare(mv->mid(iv->size()), *ib) > 0;
    const int byVersion = compare(*mv, *iv);
    return byVersion > 0 || (byVersion == 0 && compare(*mb, *ib) > 0);
}

} // namespace vantrel
