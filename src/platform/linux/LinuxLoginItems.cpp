#include "platform/linux/LinuxLoginItems.h"

#include <QFile>
#include <QFileDevice>

#include "base/AtomicFile.h"

namespace vantrel {
namespace {

bool needsQuoting(const QString& argument)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    if (argument.isEmpty())
        return true;
    for (QChar c : argument)
        if (reserved.contains(c))
            return true;
    return false;
}

// Quoting of the Exec key: inside double quotes, '"', '`', '$' and '\' take a backslash.
QString quotedArgument(const QString& argument)
{
    if (!needsQuoting(argument))
        return argument;
    QString out = QStringLiteral("\"");
    for (QChar c : argument) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            out += QLatin1Char('\\');
        out += c;
    }
    return out + QLatin1Char('"');
}

} // namespace

LinuxLoginItems::LinuxLoginItems(QString autostartDirectory, QString displayName)
    : directory_(std::move(autostartDirectory))
    , displayName_(std::move(displayName))
{ }

QString LinuxLoginItems::entryPath(const QString& label) const
{
    return directory_ + QLatin1Char('/') + label + QStringLiteral(".desktop");
}

QString LinuxLoginItems::execLine(const QStringList& programArguments)
{
    QStringList parts;
    for (const QString& argument : programArguments)
        parts << quotedArgument(argument);
    QString line = parts.join(QLatin1Char(' '));
    // Field codes start with '%'; the value is then a string, whose escapes come last.
    line.replace(QLatin1Char('%'), QStringLiteral("%%"));
    line.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    line.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
    line.replace(QLatin1Char('\t'), QStringLiteral("\\t"));
    return line;
}

QByteArray LinuxLoginItems::entryText(const QStringList& programArguments) const
{
    QString text = QStringLiteral("[Desktop Entry]\n"
                                  "Type=Application\n"
                                  "Name=%1\n"
                                  "Exec=%2\n"
                                  "Terminal=false\n"
                                  "NoDisplay=true\n"
                                  "X-GNOME-Autostart-enabled=true\n")
                       .arg(displayName_, execLine(programArguments));
    return text.toUtf8();
}

bool LinuxLoginItems::installAutostartEntry(const QString& label, const QStringList& programArguments, QString* error)
{
    const auto permissions
        = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;
    return writeFileAtomically(entryPath(label), entryText(programArguments), permissions, error);
}

bool LinuxLoginItems::removeAutostartEntry(const QString& label, QString* error)
{
    QFile file(entryPath(label));
    if (!file.exists() || file.remove())
        return true;
    if (error)
        *error = file.errorString();
    return false;
}

bool LinuxLoginItems::hasAutostartEntry(const QString& label) const { return QFile::exists(entryPath(label)); }

} // namespace vantrel
