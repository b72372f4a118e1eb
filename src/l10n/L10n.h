#pragma once
// Every text the screens show is looked up by key through L10n::tr: first the language pack,
// then the built-in tables, then English, and last the key itself.
//
// How to call it (the key check in tests/l10n scans src/ for exactly these shapes, so keep
// the key a plain string literal at the call site):
//     L10n::tr("dcs_dashboard")                        // current language
//     L10n::tr("dcs_dashboard", lang)                  // a given language
//     L10n::format("fan.status.apply_success_named", label)   // status line: "%s" -> label, "%%" -> "%"
//     L10n::formatList("sleep.status.battery_cutoff_blocked", {title, percent, cutoff}, lang)
//     L10n::key("feature.sleep.app_nap")               // a key kept in data and translated later
// Korean literals the system shows are passed the same way, L10n::tr("대기 중").
// A new key goes into resources/l10n/VantrelLanguagePack.json with at least "en" and "ko".
#include <optional>

#include <QString>
#include <QStringList>

#include "l10n/LanguagePack.h"

namespace vantrel {

class L10nNotifier;
class Preferences;
class Translator;

class L10n {
public:
    L10n() = delete;
    using LanguagePackFile = vantrel::LanguagePackFile;

    // The preference that holds the user's language ("en", "ko", ...).
    static inline const QString selectedLanguageKey = QStringLiteral("selectedLanguage");

    // "en", "ko", "zh", "ja", "de", "es", "fr", in this order.
    static const QStringList& supportedLanguages();
    // The language's own name, for pickers ("한국어", "Deutsch"); the code for other codes.
    static QString languageName(const QString& lang);

    // "zh"/"zh-Hans" -> zh-Hans, zh, en; "zh-Hant" -> zh-Hant, zh-Hans, zh, en; "en" -> en;
    // anything else -> that code, en.
    static QStringList languageCandidates(const QString& lang);

    static QString tr(const QString& key, const QString& lang);
    static QString tr(const QString& key) { return tr(key, currentLanguage()); }
    static std::optional<QString> languagePackValue(const QString& key, const QString& lang);
    // Display names of internal names: preset names, daemon commands, policy states.
    static QString displayName(const QString& name, const QString& lang);
    static QString displayName(const QString& name) { return displayName(name, currentLanguage()); }
    static QString englishFallbackForKoreanLiteral(const QString& text);

    // Status lines: each "%s" in turn replaced by the next argument, then every "%%" by "%".
    static QString fill(const QString& text, const QStringList& args);
    static QString format(const QString& key, const QString& label, const QString& lang);
    static QString format(const QString& key, const QString& label) { return format(key, label, currentLanguage()); }
    static QString formatList(const QString& key, const QStringList& args, const QString& lang);
    static QString formatList(const QString& key, const QStringList& args)
    {
        return formatList(key, args, currentLanguage());
    }

    // Marks a key kept in data (catalogues, tables) so the key check finds it; returns it unchanged.
    static QString key(const char* key) { return QString::fromUtf8(key); }
    // True when a text exists for key under exactly lang (for optional texts such as
    // explanation steps); no fallback is applied.
    static bool hasText(const QString& key, const QString& lang = QStringLiteral("en"));
    // Every key of the language pack and the built-in tables.
    static QStringList knownKeys();

    // The first two letters, lower-cased, of the first system language when supported; else "en".
    static QString defaultLanguage(const QStringList& systemLanguages);
    // From QLocale::uiLanguages() of the system locale.
    static QString defaultLanguage();
    // The stored "selectedLanguage", or the system default when it holds no text.
    static QString languageFromPreferences(const Preferences& preferences);

    // The language tr(key) uses. Starts as the system default; the owner of the
    // "selectedLanguage" setting keeps it current. Safe from any thread.
    static QString currentLanguage();
    static void setCurrentLanguage(const QString& lang);
    // Emits currentLanguageChanged after setCurrentLanguage changed the language.
    static L10nNotifier& notifier();

    // The process-wide translator; its pack is loaded once, on first use.
    static const Translator& translator();
    // Loads the pack from its default locations (L10n::LanguagePackFile, wrapped or plain).
    static LanguagePack loadLanguagePack();
};

} // namespace vantrel
