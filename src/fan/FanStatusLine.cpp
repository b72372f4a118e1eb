#include "fan/FanStatusLine.h"

#include "l10n/L10n.h"

namespace vantrel {

QString FanStatusLine::text(const QString& lang) const
{
    QStringList parts;
    for (const auto& key : keys) {
        if (parts.isEmpty()) {
            const QString labelText = label.isKey ? L10n::tr(label.text, lang) : label.text;
            parts << L10n::format(key, labelText, lang);
        } else {
            parts << L10n::tr(key, lang);
        }
    }
    return parts.join(QLatin1Char(' '));
}

} // namespace vantrel
