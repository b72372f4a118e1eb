#pragma once
// An alert a screen presents now. title and message are the alert's own texts (Korean, or the
// daemon's warning as sent); messageKey with its figures renders the message in any language.
#include <QString>
#include <QStringList>

namespace vantrel {

struct HeatProtectionAlertPayload {
    QString id;
    QString title;
    QString message;
    // A localisation key whose "%s" are filled by messageArguments; empty when the message
    // can only be shown as sent.
    QString messageKey;
    QStringList messageArguments;

    QString titleText(const QString& lang) const;
    // The message built from its figures in lang, else the message through the literal fallback.
    QString messageText(const QString& lang) const;

    bool operator==(const HeatProtectionAlertPayload&) const = default;
};

} // namespace vantrel
