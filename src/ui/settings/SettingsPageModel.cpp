#include "ui/settings/SettingsPageModel.h"

#include <QFileInfo>
#include <QUrlQuery>

#include "l10n/L10n.h"
#include "platform/Workspace.h"

namespace vantrel {

SettingsPageModel::SettingsPageModel(SettingsPageInputs inputs, QObject* parent)
    : QObject(parent)
    , inputs_(std::move(inputs))
{ }

QString SettingsPageModel::versionText() const
{
    return inputs_.shortVersion + QStringLiteral(" · build ") + inputs_.buildNumber;
}

QStringList SettingsPageModel::languageCodes() { return L10n::supportedLanguages(); }

QString SettingsPageModel::languageLabel(const QString& code)
{
    static const QHash<QString, QString> names{
        {QStringLiteral("en"), QStringLiteral("English")},  {QStringLiteral("ko"), QStringLiteral("한국어")},
        {QStringLiteral("zh"), QStringLiteral("简体中文")}, {QStringLiteral("ja"), QStringLiteral("日本語")},
        {QStringLiteral("de"), QStringLiteral("Deutsch")},  {QStringLiteral("es"), QStringLiteral("Español")},
        {QStringLiteral("fr"), QStringLiteral("Français")},
    };
    return names.value(code, code);
}

void SettingsPageModel::selectLanguage(const QString& code)
{
    if (!languageCodes().contains(code))
        return;
    if (inputs_.selectLanguage)
        inputs_.selectLanguage(code);
    else
        L10n::setCurrentLanguage(code);
}

QUrl SettingsPageModel::supportMailURL(const QString& lang) const
{
    // The body's placeholders are the version text and the operating system's version.
    QString body = L10n::tr(QStringLiteral("settings.support.contact.body"), lang);
    for (const QString& value : {versionText(), inputs_.osVersion}) {
        const qsizetype at = body.indexOf(QLatin1String("%s"));
        if (at < 0)
            break;
        body.replace(at, 2, value);
    }
    QUrl url;
    url.setScheme(QStringLiteral("mailto"));
    url.setPath(inputs_.supportAddress);
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("subject"), L10n::tr(QStringLiteral("settings.support.contact.subject"), lang));
    query.addQueryItem(QStringLiteral("body"), body);
    // Spaces and line breaks percent-encoded, as mail clients expect.
    url.setQuery(query.query(QUrl::FullyEncoded), QUrl::StrictMode);
    return url;
}

void SettingsPageModel::contactSupport(const QString& lang)
{
    const bool opened = inputs_.workspace && inputs_.workspace->openUrl(supportMailURL(lang));
    supportStatusKey_
        = opened ? QStringLiteral("settings.support.status.opened") : QStringLiteral("settings.support.status.failed");
    Q_EMIT supportStatusChanged();
}

void SettingsPageModel::openRecoveryApplication()
{
    const bool exists = QFileInfo::exists(inputs_.recoveryApplicationPath);
    const bool opened
        = exists && inputs_.workspace && inputs_.workspace->openApplication(inputs_.recoveryApplicationPath);
    recoveryStatusKey_ = opened ? QString() : QStringLiteral("settings.link.failed");
    Q_EMIT recoveryStatusChanged();
}

} // namespace vantrel
