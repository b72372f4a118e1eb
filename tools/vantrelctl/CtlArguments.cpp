#include "tools/vantrelctl/CtlArguments.h"

#include <algorithm>
#include <cmath>

#include <QCommandLineParser>
#include <QJsonDocument>
#include <QJsonParseError>

#include "base/JsonAccess.h"

namespace vantrel {
namespace {

using Kind = CtlCommand::Kind;

std::optional<bool> onOff(const QString& word)
{
    if (word == QLatin1String("on"))
        return true;
    if (word == QLatin1String("off"))
        return false;
    return std::nullopt;
}

std::optional<int> integerIn(const QString& text, int low, int high)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < low || value > high)
        return std::nullopt;
    return value;
}

std::optional<double> numberIn(const QString& text, double low, double high)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !std::isfinite(value) || value < low || value > high)
        return std::nullopt;
    return value;
}

// "T:P,T:P,T:P": three points strictly between 0 and 100 °C; "0:0" and "100:100" may be added,
// the ends every curve has.
std::optional<std::vector<CurvePoint>> curvePoints(const QString& text, QString* error)
{
    std::vector<CurvePoint> points;
    int interior = 0;
    for (const QString& pair : text.split(QLatin1Char(','))) {
        const QStringList parts = pair.trimmed().split(QLatin1Char(':'));
        std::optional<double> temperature;
        std::optional<double> percent;
        if (parts.size() == 2) {
            temperature = numberIn(parts[0], 0, 100);
            percent = numberIn(parts[1], 0, 100);
        }
        if (!temperature || !percent) {
            *error = QStringLiteral("\"%1\" is not a TEMP:PERCENT pair with both from 0 to 100").arg(pair);
            return std::nullopt;
        }
        const bool end = *temperature == 0 || *temperature == 100;
        if (end && *percent != *temperature) {
            *error = QStringLiteral("a curve starts at 0:0 and ends at 100:100; \"%1\" cannot be an end").arg(pair);
            return std::nullopt;
        }
        interior += end ? 0 : 1;
        points.push_back(CurvePoint::make(*temperature, *percent));
    }
    if (interior != 3) {
        *error = QStringLiteral("a curve has exactly three points between 0 and 100 °C (got %1)").arg(interior);
        return std::nullopt;
    }
    // The editor's shape always has both ends; without them the five points are not there.
    const auto hasEnd = [&](double t) {
        return std::any_of(points.begin(), points.end(), [t](const CurvePoint& p) { return p.temperature == t; });
    };
    if (!hasEnd(0))
        points.insert(points.begin(), CurvePoint::make(0, 0));
    if (!hasEnd(100))
        points.push_back(CurvePoint::make(100, 100));
    return points;
}

std::optional<CtlCommand> parseCommand(const QStringList& words, QString* error)
{
    CtlCommand c;
    const QString first = words.value(0);
    const QString second = words.value(1);
    const auto count = words.size();
    c.name = count >= 2
            && (first == QLatin1String("fan") || first == QLatin1String("battery") || first == QLatin1String("sleep")
                || first == QLatin1String("update"))
        ? first + QLatin1Char(' ') + second
        : first;
    const auto bad = [&](const QString& why) -> std::optional<CtlCommand> {
        *error = why;
        return std::nullopt;
    };

    if (first == QLatin1String("status") && count == 1)
        c.kind = Kind::Status;
    else if (first == QLatin1String("sensors") && count == 1)
        c.kind = Kind::Sensors;
    else if (c.name == QLatin1String("update status") && count == 2)
        c.kind = Kind::UpdateStatus;
    else if (c.name == QLatin1String("fan auto") && count == 2)
        c.kind = Kind::FanAuto;
    else if (c.name == QLatin1String("fan preset") && count == 3) {
        c.kind = Kind::FanPreset;
        c.presetName = words[2].trimmed();
        if (c.presetName.isEmpty())
            return bad(QStringLiteral("fan preset needs a name"));
    } else if (c.name == QLatin1String("fan curve") && count == 3) {
        c.kind = Kind::FanCurve;
        auto points = curvePoints(words[2], error);
        if (!points)
            return std::nullopt;
        c.curvePoints = std::move(*points);
    } else if (c.name == QLatin1String("battery limit") && count == 3) {
        c.kind = Kind::BatteryLimit;
        if (words[2] != QLatin1String("off")) {
            c.limit = integerIn(words[2], 50, 100);
            if (!c.limit)
                return bad(QStringLiteral("the charge limit is a whole percent from 50 to 100, or off"));
        }
    } else if ((c.name == QLatin1String("battery protector") || c.name == QLatin1String("battery heat")
                || c.name == QLatin1String("sleep prevent"))
               && count == 3) {
        c.kind = first == QLatin1String("sleep") ? Kind::SleepPrevent
            : second == QLatin1String("heat")    ? Kind::BatteryHeat
                                                 : Kind::BatteryProtector;
        const auto on = onOff(words[2]);
        if (!on)
            return bad(c.name + QStringLiteral(" takes on or off"));
        c.on = *on;
    } else if (first == QLatin1String("raw") && count == 2) {
        c.kind = Kind::Raw;
        QJsonParseError parseError;
        const QJsonDocument document = QJsonDocument::fromJson(words[1].toUtf8(), &parseError);
        if (parseError.error != QJsonParseError::NoError)
            return bad(QStringLiteral("the request is not valid JSON: ") + parseError.errorString());
        if (!document.isObject() || !json::string(document.object(), QStringLiteral("cmd")))
            return bad(QStringLiteral("the request must be a JSON object with a string \"cmd\""));
        c.request = document.object();
    } else {
        return bad(words.isEmpty()
                       ? QStringLiteral("no command given")
                       : QStringLiteral("unknown command or wrong arguments: ") + words.join(QLatin1Char(' ')));
    }
    return c;
}

} // namespace

std::optional<CtlArguments> CtlArguments::parse(const QStringList& args, QString* error)
{
    QCommandLineParser parser;
    const QCommandLineOption socket(QStringLiteral("socket"), QString(), QStringLiteral("PATH"));
    const QCommandLineOption json(QStringLiteral("json"));
    const QCommandLineOption verbose(QStringList{QStringLiteral("v"), QStringLiteral("verbose")});
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption maxTemp(QStringLiteral("max-temp"), QString(), QStringLiteral("C"));
    const QCommandLineOption cutoff(QStringLiteral("cutoff"), QString(), QStringLiteral("N"));
    parser.addOptions({socket, json, verbose, help, maxTemp, cutoff});
    if (!parser.parse(QStringList{QStringLiteral("vantrelctl")} + args)) {
        *error = parser.errorText();
        return std::nullopt;
    }
    CtlArguments a;
    a.socket = parser.value(socket);
    a.json = parser.isSet(json);
    a.verbose = parser.isSet(verbose);
    a.help = parser.isSet(help);
    if (a.help)
        return a;
    auto c = parseCommand(parser.positionalArguments(), error);
    if (!c)
        return std::nullopt;
    if (parser.isSet(maxTemp)) {
        if (c->kind != Kind::BatteryHeat) {
            *error = QStringLiteral("--max-temp belongs to battery heat");
            return std::nullopt;
        }
        c->maxTemp = numberIn(parser.value(maxTemp), 25, 60);
        if (!c->maxTemp) {
            *error = QStringLiteral("--max-temp is a temperature from 25 to 60 °C");
            return std::nullopt;
        }
    }
    if (parser.isSet(cutoff)) {
        if (c->kind != Kind::SleepPrevent) {
            *error = QStringLiteral("--cutoff belongs to sleep prevent");
            return std::nullopt;
        }
        c->cutoff = integerIn(parser.value(cutoff), 20, 80);
        if (!c->cutoff) {
            *error = QStringLiteral("--cutoff is a battery percent from 20 to 80");
            return std::nullopt;
        }
    }
    a.command = std::move(*c);
    return a;
}

QString CtlArguments::usage()
{
    return QStringLiteral(
        "Usage: vantrelctl [--socket PATH] [--json] [--verbose] COMMAND\n"
        "\n"
        "Commands:\n"
        "  status                          the daemon's status: CPU temperature, fans, battery\n"
        "  sensors                         every sensor of the catalogue with its label (read with the smc tool)\n"
        "  fan auto                        the fans follow the system (macOS) again\n"
        "  fan preset silent|balanced|performance|NAME\n"
        "                                  a built-in preset, or a custom one from the preset file\n"
        "  fan curve T:P,T:P,T:P           a curve of three points (°C:percent), shaped like the curve editor's\n"
        "  battery limit N|off             the charge limit, 50 to 100 percent (in steps of 10), or no limit\n"
        "  battery protector on|off        the charge protector\n"
        "  battery heat on|off [--max-temp C]\n"
        "                                  heat protection, with its threshold (25 to 60 °C)\n"
        "  sleep prevent on|off [--cutoff N]\n"
        "                                  keep the Mac awake, down to a battery cut-off (20 to 80 percent)\n"
        "  update status                   the state of the last update installation\n"
        "  raw '<json object>'             send one request (it needs a string \"cmd\") and print the reply\n"
        "\n"
        "Options:\n"
        "  --socket PATH   the daemon socket; else $VANTREL_DAEMON_SOCKET, else\n"
        "                  $VANTREL_ROOT/tmp/vantrel_daemon.sock, else /tmp/vantrel_daemon.sock\n"
        "  --json          print one JSON object instead of plain words\n"
        "  -v, --verbose   log every exchange with the daemon to standard error\n"
        "  -h, --help      print this text\n"
        "\n"
        "Exit status: 0 done, 1 the daemon refused (its code is printed), 2 bad usage (nothing is sent),\n"
        "3 no daemon (or, for sensors, no smc tool reading).\n");
}

} // namespace vantrel
