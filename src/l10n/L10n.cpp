#include "l10n/L10n.h"

#include <QCoreApplication>
#include <QLocale>
#include <QMutex>
#include <QMutexLocker>

#include "base/Preferences.h"
#include "l10n/L10nNotifier.h"
#include "l10n/Translator.h"

namespace vantrel {
namespace {

struct CurrentLanguage {
    QMutex mutex;
    std::optional<QString> language;
};

CurrentLanguage& current()
{
    static CurrentLanguage state;
    return state;
}

} // namespace

const QStringList& L10n::supportedLanguages()
{
    static const QStringList languages{QStringLiteral("en"), QStringLiteral("ko"), QStringLiteral("zh"),
                                       QStringLiteral("ja"), QStringLiteral("de"), QStringLiteral("es"),
                                       QStringLiteral("fr")};
    return languages;
}

QString L10n::languageName(const QString& lang)
{
    static const QHash<QString, QString> names{
        {QStringLiteral("en"), QStringLiteral("English")},
        {QStringLiteral("ko"), QStringLiteral("한국어")},
        {QStringLiteral("zh"), QStringLiteral("简体中文")},
        {QStringLiteral("zh-Hans"), QStringLiteral("简体中文")},
        {QStringLiteral("zh-Hant"), QStringLiteral("繁體中文")},
        {QStringLiteral("ja"), QStringLiteral("日本語")},
        {QStringLiteral("de"), QStringLiteral("Deutsch")},
        {QStringLiteral("es"), QStringLiteral("Español")},
        {QStringLiteral("fr"), QStringLiteral("Français")},
    };
    return names.value(lang, lang);
}

QStringList L10n::languageCandidates(const QString& lang)
{
    const QString en = QStringLiteral("en");
    if (lang == QLatin1String("zh") || lang == QLatin1String("zh-Hans"))
        return {QStringLiteral("zh-Hans"), QStringLiteral("zh"), en};
    if (lang == QLatin1String("zh-Hant"))
        return {QStringLiteral("zh-Hant"), QStringLiteral("zh-Hans"), QStringLiteral("zh"), en};
    if (lang == en)
        return {en};
    return {lang, en};
}

QString L10n::tr(const QString& key, const QString& lang) { return translator().tr(key, lang); }

std::optional<QString> L10n::languagePackValue(const QString& key, const QString& lang)
{
    return translator().languagePackValue(key, lang);
}

QString L10n::displayName(const QString& name, const QString& lang) { return translator().displayName(name, lang); }

QString L10n::englishFallbackForKoreanLiteral(const QString& text)
{
    return translator().englishFallbackForKoreanLiteral(text);
}

QString L10n::fill(const QString& text, const QStringList& args)
{
    QString result = text;
    qsizetype from = 0;
    for (const QString& arg : args) {
        const qsizetype at = result.indexOf(QLatin1String("%s"), from);
        if (at < 0)
            break;
        result.replace(at, 2, arg);
        // Continue after the inserted text, so an argument holding "%s" is left alone.
        from = at + arg.size();
    }
    return result.replace(QLatin1String("%%"), QLatin1String("%"));
}

QString L10n::format(const QString& key, const QString& label, const QString& lang)
{
    return fill(tr(key, lang), {label});
}

QString L10n::formatList(const QString& key, const QStringList& args, const QString& lang)
{
    return fill(tr(key, lang), args);
}

bool L10n::hasText(const QString& key, const QString& lang) { return translator().hasText(key, lang); }

QStringList L10n::knownKeys() { return translator().knownKeys(); }

QString L10n::defaultLanguage(const QStringList& systemLanguages)
{
    if (systemLanguages.isEmpty())
        return QStringLiteral("en");
    const QString code = systemLanguages.first().left(2).toLower();
    return supportedLanguages().contains(code) ? code : QStringLiteral("en");
}

QString L10n::defaultLanguage() { return defaultLanguage(QLocale::system().uiLanguages()); }

QString L10n::languageFromPreferences(const Preferences& preferences)
{
    const QString stored = preferences.stringValue(selectedLanguageKey).trimmed();
    return stored.isEmpty() ? defaultLanguage() : stored;
}

QString L10n::currentLanguage()
{
    CurrentLanguage& state = current();
    QMutexLocker lock(&state.mutex);
    if (!state.language)
        state.language = defaultLanguage();
    return *state.language;
}

void L10n::setCurrentLanguage(const QString& lang)
{
    CurrentLanguage& state = current();
    {
        QMutexLocker lock(&state.mutex);
        if (state.language == lang)
            return;
        state.language = lang;
    }
    Q_EMIT notifier().currentLanguageChanged(lang);
}

L10nNotifier& L10n::notifier()
{
    // Lives on the main thread whichever thread asks first, so it never outlives its thread.
    static L10nNotifier* notifier = [] {
        auto* object = new L10nNotifier;
        if (QCoreApplication* app = QCoreApplication::instance())
            object->moveToThread(app->thread());
        return object;
    }();
    return *notifier;
}

const Translator& L10n::translator()
{
    static const Translator translator(loadLanguagePack(), BuiltInTables::shared());
    return translator;
}

LanguagePack L10n::loadLanguagePack() { return LanguagePack::loadFirst(LanguagePack::defaultLocations()); }

} // namespace vantrel
