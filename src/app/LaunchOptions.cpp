#include "app/LaunchOptions.h"

#include "app/AppDelegate.h"
#include "app/PlatformBackends.h"

namespace vantrel {
namespace {

// The count values after flag, when the flag is there; false (with the reason) when they are
// missing or look like another flag.
bool flagValues(const QStringList& arguments, const QString& flag, int count, QStringList* values, QString* error)
{
    const qsizetype at = arguments.indexOf(flag);
    if (at < 0)
        return true;
    for (int i = 1; i <= count; ++i) {
        if (at + i >= arguments.size() || arguments[at + i].startsWith(QStringLiteral("--"))) {
            if (error)
                *error
                    = QStringLiteral("%1 needs %2.")
                          .arg(flag, count == 1 ? QStringLiteral("a value") : QStringLiteral("%1 values").arg(count));
            return false;
        }
        values->append(arguments[at + i]);
    }
    return true;
}

} // namespace

std::optional<LaunchOptions> LaunchOptions::parse(const QStringList& arguments, const Paths& paths, QString* error)
{
    LaunchOptions options;
    options.arguments = arguments;
    options.backgroundStatusOnly = arguments.contains(AppDelegate::backgroundFlag);
    const qsizetype demo = arguments.indexOf(QStringLiteral("--headless-demo"));
    if (demo >= 0) {
        if (demo + 1 >= arguments.size() || arguments[demo + 1].startsWith(QStringLiteral("--"))) {
            if (error)
                *error = QStringLiteral("--headless-demo needs a folder for the screenshots.");
            return std::nullopt;
        }
        options.headlessDemoDirectory = arguments[demo + 1];
    }
    const qsizetype seconds = arguments.indexOf(QStringLiteral("--demo-seconds"));
    if (seconds >= 0) {
        bool ok = false;
        options.demoSeconds = seconds + 1 < arguments.size() ? arguments[seconds + 1].toInt(&ok) : 0;
        if (!ok || options.demoSeconds <= 0) {
            if (error)
                *error = QStringLiteral("--demo-seconds needs a positive number of seconds.");
            return std::nullopt;
        }
    }
    // "--main-window-only": the headless demo writes main-window.png alone, not every page.
    options.demoMainWindowOnly = arguments.contains(QStringLiteral("--main-window-only"));
    QStringList screenshot;
    QStringList lang;
    QStringList theme;
    if (!flagValues(arguments, QStringLiteral("--screenshot"), 2, &screenshot, error)
        || !flagValues(arguments, QStringLiteral("--lang"), 1, &lang, error)
        || !flagValues(arguments, QStringLiteral("--theme"), 1, &theme, error))
        return std::nullopt;
    if (!screenshot.isEmpty())
        options.screenshot = Screenshot{screenshot[0], screenshot[1], lang.value(0), theme.value(0)};
    const auto platform = choosePlatformKind(arguments, paths, error);
    if (!platform)
        return std::nullopt;
    options.platform = *platform;
    return options;
}

} // namespace vantrel
