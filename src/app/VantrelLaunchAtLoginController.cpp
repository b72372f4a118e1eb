#include "app/VantrelLaunchAtLoginController.h"

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "app/ChildProcess.h"
#include "app/DirectoryTree.h"
#include "base/AtomicFile.h"
#include "base/Log.h"

namespace vantrel {
namespace {

constexpr std::chrono::seconds kLaunchctlTimeout{10};

RegistrationError failed(const QString& message) { return {RegistrationError::Kind::OperationFailed, message}; }

} // namespace

VantrelLaunchAtLoginController::Configuration VantrelLaunchAtLoginController::configurationFor(const Paths& paths)
{
    Configuration configuration;
    configuration.launchAgentsDirectory = paths.launchAgentsDirectory();
    configuration.canonicalBundlePath = AppBundle::canonicalLocation();
    configuration.userId = ::getuid();
    return configuration;
}

VantrelLaunchAtLoginController::VantrelLaunchAtLoginController(Configuration configuration, LoginItems& loginItems)
    : configuration_(std::move(configuration))
    , loginItems_(loginItems)
{ }

bool VantrelLaunchAtLoginController::isCanonicalProductionBundle(const AppBundle& bundle) const
{
    return bundle.identifier == VantrelRuntimeEnvironment::productionBundleIdentifier
        && QDir::cleanPath(bundle.path) == QDir::cleanPath(configuration_.canonicalBundlePath);
}

void VantrelLaunchAtLoginController::repairRegistrationIfNeeded(const Preferences& defaults, const AppBundle& bundle)
{
    if (!isCanonicalProductionBundle(bundle) || !defaults.exists(QStringLiteral("autoStart")))
        return;
    std::optional<RegistrationError> error;
    if (defaults.boolValue(QStringLiteral("autoStart"))) {
        error = removeLegacyRegistration();
        if (!error)
            error = installLaunchAgent();
    } else {
        error = removeLaunchAgent();
        if (!error)
            error = removeLegacyRegistration();
    }
    if (error)
        systemLog(QStringLiteral("Vantrel launch-at-login repair failed: %1").arg(error->description()));
}

bool VantrelLaunchAtLoginController::launchctlAvailable() const
{
    return QFileInfo(configuration_.launchctlPath).isExecutable();
}

QString VantrelLaunchAtLoginController::launchAgentPath() const
{
    return configuration_.launchAgentsDirectory + QLatin1Char('/') + label + QStringLiteral(".plist");
}

QString VantrelLaunchAtLoginController::launchAgentTarget() const
{
    return QStringLiteral("gui/%1/%2").arg(configuration_.userId).arg(label);
}

QStringList VantrelLaunchAtLoginController::autostartArguments() const
{
    return {configuration_.canonicalBundlePath, backgroundFlag};
}

QByteArray VantrelLaunchAtLoginController::launchAgentPropertyList()
{
    // Keys in the order the property-list writer sorts them.
    return QByteArrayLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
        "<plist version=\"1.0\">\n"
        "<dict>\n"
        "\t<key>Label</key>\n"
        "\t<string>com.morrowlightco.Vantrel.login</string>\n"
        "\t<key>ProcessType</key>\n"
        "\t<string>Interactive</string>\n"
        "\t<key>ProgramArguments</key>\n"
        "\t<array>\n"
        "\t\t<string>/Applications/Vantrel.app/Contents/MacOS/Vantrel</string>\n"
        "\t\t<string>--background-status-only</string>\n"
        "\t</array>\n"
        "\t<key>RunAtLoad</key>\n"
        "\t<true/>\n"
        "</dict>\n"
        "</plist>\n");
}

std::optional<RegistrationError> VantrelLaunchAtLoginController::installLaunchAgent()
{
    QString error;
    if (launchctlAvailable()) {
        if (!makeDirectoryTree(configuration_.launchAgentsDirectory, 0700, &error))
            return failed(error);
        if (!writeFileAtomically(launchAgentPath(), launchAgentPropertyList(),
                                 QFileDevice::ReadOwner | QFileDevice::WriteOwner, &error))
            return failed(error);
    }
    if (!loginItems_.installAutostartEntry(label, autostartArguments(), &error))
        return failed(error);
    return std::nullopt;
}

std::optional<RegistrationError> VantrelLaunchAtLoginController::removeLaunchAgent()
{
    if (launchctlAvailable()) {
        runLaunchctl({QStringLiteral("bootout"), launchAgentTarget()});
        QFile plist(launchAgentPath());
        if (plist.exists() && !plist.remove())
            return failed(plist.errorString());
        if (QFileInfo::exists(launchAgentPath()))
            return RegistrationError{RegistrationError::Kind::LaunchAgentStillPresent, {}};
        if (runLaunchctl({QStringLiteral("print"), launchAgentTarget()}) == 0)
            return RegistrationError{RegistrationError::Kind::LaunchAgentStillLoaded, {}};
    }
    QString error;
    if (!loginItems_.removeAutostartEntry(label, &error))
        return failed(error);
    return std::nullopt;
}

std::optional<RegistrationError> VantrelLaunchAtLoginController::removeLegacyRegistration()
{
    if (loginItems_.mainAppStatus() == LoginItems::Status::NotRegistered)
        return std::nullopt;
    QString error;
    if (!loginItems_.unregisterMainApp(&error))
        return failed(error);
    return std::nullopt;
}

int VantrelLaunchAtLoginController::runLaunchctl(const QStringList& arguments) const
{
    return runChildProcess(configuration_.launchctlPath, arguments, kLaunchctlTimeout).exitStatus;
}

} // namespace vantrel
