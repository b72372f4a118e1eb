#include "sim/app/SimOptions.h"

#include "platform/sim/SimStateDirectory.h"

namespace vantrel::sim {

namespace {

std::optional<double> number(const QString& text, double lo, double hi)
{
    bool ok = false;
    const double v = text.toDouble(&ok);
    if (!ok || v < lo || v > hi)
        return std::nullopt;
    return v;
}

} // namespace

QString SimOptions::usage()
{
    return QStringLiteral(
        "usage: vantrel-sim [options]            run the simulated Mac and its daemon socket\n"
        "       vantrel-sim ctl [--socket PATH] ACTION [KEY=VALUE ...]\n"
        "       vantrel-sim ctl [--socket PATH] send JSON\n"
        "\n"
        "options:\n"
        "  --socket PATH           daemon socket (default: the re-rooted /tmp/vantrel_daemon.sock)\n"
        "  --model NAME            laptop14 (default), fanless or desktop\n"
        "  --ownership NAME        production (default), debug or fenced\n"
        "  --speed N               simulated seconds per real second (default 1)\n"
        "  --manual-clock          time moves only on the sim_step control command\n"
        "  --state-dir DIR         where smc-keys.txt, hardware.json and the stored settings live\n"
        "                          (default: $VANTREL_SIM_STATE_DIR, else the re-rooted /tmp/vantrel-sim)\n"
        "  --background            no banner and no request log, for running behind a script\n"
        "  --battery-percent P     state of charge at start (default 72)\n"
        "  --start-epoch SECONDS   simulated wall time at start (default: now)\n"
        "  --study-log PATH        power-only study sample log (default: Application Support)\n"
        "  --study-interval S      seconds of simulated time between samples; 0 = off (default 60)\n");
}

std::optional<SimOptions> SimOptions::parse(const QStringList& arguments, const Paths& paths, QString* error,
                                            bool* help)
{
    SimOptions o;
    o.socketPath = paths.daemonSocket();
    // VANTREL_SIM_STATE_DIR, as the application's sim backend reads it, else the re-rooted /tmp/vantrel-sim.
    o.daemon.stateDirectory = simStateDirectory(paths);
    o.daemon.updateStatusPath = paths.updateStatusFile();
    o.daemon.studyLogPath = paths.appSupportFile(QStringLiteral("only-power-cycle-study/samples.jsonl"));
    const auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return std::optional<SimOptions>();
    };
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            if (help)
                *help = true;
            return std::nullopt;
        }
        if (arg == QLatin1String("--manual-clock")) {
            o.daemon.manualClock = true;
            continue;
        }
        if (arg == QLatin1String("--background")) {
            o.background = true;
            continue;
        }
        if (i + 1 >= arguments.size())
            return fail(QStringLiteral("unknown option or missing value: ") + arg);
        const QString value = arguments[++i];
        if (arg == QLatin1String("--socket")) {
            o.socketPath = value;
        } else if (arg == QLatin1String("--model")) {
            const auto profile = MachineProfile::named(value);
            if (!profile)
                return fail(QStringLiteral("unknown model %1 (one of %2)")
                                .arg(value, MachineProfile::names().join(QStringLiteral(", "))));
            o.daemon.profile = *profile;
        } else if (arg == QLatin1String("--ownership")) {
            const auto ownership = ownershipNamed(value);
            if (!ownership)
                return fail(QStringLiteral("unknown ownership %1 (production, debug or fenced)").arg(value));
            o.daemon.ownership = *ownership;
        } else if (arg == QLatin1String("--speed")) {
            const auto speed = number(value, 0.01, 100000);
            if (!speed)
                return fail(QStringLiteral("--speed takes a number from 0.01 to 100000"));
            o.speed = *speed;
        } else if (arg == QLatin1String("--state-dir")) {
            o.daemon.stateDirectory = value;
        } else if (arg == QLatin1String("--battery-percent")) {
            const auto percent = number(value, 0, 100);
            if (!percent)
                return fail(QStringLiteral("--battery-percent takes a number from 0 to 100"));
            o.daemon.batteryPercent = *percent;
        } else if (arg == QLatin1String("--start-epoch")) {
            const auto epoch = number(value, 1, 1e11);
            if (!epoch)
                return fail(QStringLiteral("--start-epoch takes seconds since 1970"));
            o.daemon.startEpochSeconds = *epoch;
        } else if (arg == QLatin1String("--study-log")) {
            o.daemon.studyLogPath = value;
        } else if (arg == QLatin1String("--study-interval")) {
            const auto interval = number(value, 0, 86400);
            if (!interval)
                return fail(QStringLiteral("--study-interval takes seconds from 0 to 86400"));
            o.daemon.studyIntervalSeconds = static_cast<int>(*interval);
        } else {
            return fail(QStringLiteral("unknown option: ") + arg);
        }
    }
    return o;
}

} // namespace vantrel::sim
