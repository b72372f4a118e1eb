#pragma once
// Which build this process is: the installed build or the development build, whose bundle
// identifier, lock file, names and admission rule differ.
#include <QString>

namespace vantrel {

struct VantrelRuntimeEnvironment {
    bool isDevelopmentBuild = false;

    static inline const QString productionBundleIdentifier = QStringLiteral("com.morrowlightco.Vantrel");
    static inline const QString developmentBundleIdentifier = QStringLiteral("com.morrowlightco.Vantrel.Debug");

    // This build, from the build configuration; computed once.
    static const VantrelRuntimeEnvironment& current();
    static VantrelRuntimeEnvironment forBundleIdentifier(const QString& identifier)
    {
        return {identifier == developmentBundleIdentifier};
    }

    QString bundleIdentifier() const
    {
        return isDevelopmentBuild ? developmentBundleIdentifier : productionBundleIdentifier;
    }
    QString instanceLockFileName() const
    {
        return isDevelopmentBuild ? QStringLiteral("debug-instance.lock") : QStringLiteral("production-instance.lock");
    }
    // Title of the main window and tooltip of the status item.
    QString displayName() const
    {
        return isDevelopmentBuild ? QStringLiteral("Vantrel Debug") : QStringLiteral("Vantrel");
    }
};

} // namespace vantrel
