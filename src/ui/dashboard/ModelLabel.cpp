#include "ui/dashboard/ModelLabel.h"

#include <QRegularExpression>

namespace vantrel::dashboard {

QString friendlyModelLabel(const std::optional<QString>& profilerName, const QString& modelIdentifier)
{
    if (profilerName && !profilerName->trimmed().isEmpty())
        return profilerName->trimmed();
    const QString id = modelIdentifier.trimmed();
    if (id.isEmpty() || id == QStringLiteral("-") || id == QStringLiteral("unknown"))
        return {};
    // Older identifiers name the family; Apple-silicon ones ("Mac15,6") only say "Mac".
    static const std::pair<const char*, const char*> families[] = {
        {"MacBookPro", "MacBook Pro"}, {"MacBookAir", "MacBook Air"}, {"MacBook", "MacBook"}, {"Macmini", "Mac mini"},
        {"MacPro", "Mac Pro"},         {"iMacPro", "iMac Pro"},       {"iMac", "iMac"},
    };
    for (const auto& [prefix, name] : families)
        if (id.startsWith(QLatin1String(prefix)))
            return QString::fromLatin1(name);
    static const QRegularExpression appleSilicon(QStringLiteral("^Mac\\d+,\\d+$"));
    if (appleSilicon.match(id).hasMatch())
        return QStringLiteral("Mac (%1)").arg(id);
    return id;
}

} // namespace vantrel::dashboard
