#include "power/HeatProtectionAlertPayload.h"

#include "l10n/L10n.h"

namespace vantrel {

QString HeatProtectionAlertPayload::titleText(const QString& lang) const { return L10n::tr(title, lang); }

QString HeatProtectionAlertPayload::messageText(const QString& lang) const
{
    if (messageKey.isEmpty())
        return L10n::tr(message, lang);
    return L10n::formatList(messageKey, messageArguments, lang);
}

} // namespace vantrel
