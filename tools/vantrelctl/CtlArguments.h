#pragma once
// The command line of vantrelctl, checked completely before anything is sent.
#include <optional>
#include <vector>

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include "fan/CurvePoint.h"

namespace vantrel {

struct CtlCommand {
    enum class Kind {
        Status,
        Sensors,
        FanAuto,
        FanPreset,
        FanCurve,
        BatteryLimit,
        BatteryProtector,
        BatteryHeat,
        SleepPrevent,
        UpdateStatus,
        Raw
    };
    Kind kind = Kind::Status;
    QString name; // the command words, e.g. "fan preset"
    QString presetName; // fan preset: "silent", "balanced", "performance" or a custom name
    std::vector<CurvePoint> curvePoints; // fan curve: the points as given, ends included
    std::optional<int> limit; // battery limit: nothing for "off"
    bool on = false; // battery protector / heat, sleep prevent
    std::optional<double> maxTemp; // battery heat --max-temp
    std::optional<int> cutoff; // sleep prevent --cutoff
    QJsonObject request; // raw
};

struct CtlArguments {
    QString socket; // empty: the socket of the environment
    bool json = false;
    bool verbose = false;
    bool help = false;
    CtlCommand command;

    // Nothing, with *error set, for any usage mistake.
    static std::optional<CtlArguments> parse(const QStringList& args, QString* error);
    static QString usage();
};

} // namespace vantrel
