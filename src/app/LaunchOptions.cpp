#include "app/LaunchOptions.h"

#include "app/AppDelegate.h"

namespace vantrel {

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
    const auto platform = choosePlatformKind(arguments, paths, error);
    if (!platform)
        return std::nullopt;
    options.platform = *platform;
    return options;
}

} // namespace vantrel
