// fan auto / preset / curve: the same "set_fan_config" the fan screen sends for each choice.
#include <QJsonArray>

#include "base/Clock.h"
#include "daemon/DaemonClient.h"
#include "fan/FanConfigRequest.h"
#include "fan/FanControlState.h"
#include "fan/FanCurveMath.h"
#include "fan/FanCurveSettings.h"
#include "fan/FanPresetStore.h"
#include "tools/vantrelctl/CtlCommands.h"

namespace vantrel {
namespace {

// The fan screen's name for a curve applied straight from the editor without a preset name.
const QString kLiveCurveName = QStringLiteral("Live Curve");
// The preset name of the system's own fan control.
const QString kSystemFanPreset = QStringLiteral("macos_default");

std::optional<FanCurveSettings> builtInPreset(const QString& name)
{
    if (name == QLatin1String("silent"))
        return FanCurveSettings::defaultSilent();
    if (name == QLatin1String("balanced"))
        return FanCurveSettings::defaultBalanced();
    if (name == QLatin1String("performance"))
        return FanCurveSettings::defaultPerformance();
    for (const auto& preset : FanCurveSettings::systemPresets())
        if (preset.name == name)
            return preset;
    return std::nullopt;
}

QString pointsText(const std::vector<CurvePoint>& points)
{
    QStringList parts;
    for (const auto& p : points)
        parts << QString::number(p.temperature) + QLatin1Char(':') + QString::number(p.fanPercent);
    return parts.join(QStringLiteral(", "));
}

} // namespace

CtlResult runFanCommand(const CtlContext& ctx, const CtlCommand& command)
{
    FanControlState fanState(ctx.appPreferences);
    FanMode mode = FanMode::Manual;
    FanCurveSettings curve;
    QString presetName;
    switch (command.kind) {
    case CtlCommand::Kind::FanAuto:
        mode = FanMode::Auto;
        curve = FanCurveSettings::defaultBalanced();
        presetName = kSystemFanPreset;
        break;
    case CtlCommand::Kind::FanCurve:
        curve.name = kLiveCurveName;
        curve.points = normalizedCurvePoints(command.curvePoints);
        presetName = kLiveCurveName;
        break;
    default: {
        if (auto builtIn = builtInPreset(command.presetName)) {
            curve = *builtIn;
        } else {
            const SystemClock clock;
            const FanPresetStore store(ctx.paths, ctx.appPreferences, clock);
            QStringList names;
            for (const auto& preset : store.loadCustomPresets()) {
                names << preset.name;
                if (preset.name == command.presetName)
                    curve = preset;
            }
            if (curve.name.isEmpty())
                return CtlResult::usage(
                    QStringLiteral("no preset named \"%1\"; the custom presets are: %2")
                        .arg(command.presetName, names.isEmpty() ? QStringLiteral("(none)") : names.join(", ")));
        }
        presetName = curve.name;
    }
    }

    const FanConfigRequest request{mode,         true,       curve.points,
                                   curve.points, presetName, fanState.smartAppPresetEnabled()};
    const auto reply = ctx.client.send(request.toJson());
    if (auto failure = exchangeFailure(ctx, reply))
        return *failure;
    CtlResult r;
    if (mode == FanMode::Auto)
        r.lines << QStringLiteral("Fans: automatic (the system's own control)");
    else
        r.lines << QStringLiteral("Fans: curve \"%1\" (%2)").arg(presetName, pointsText(curve.points));
    QJsonArray points;
    for (const auto& p : curve.points)
        points.append(QJsonObject{{QStringLiteral("temp"), p.temperature}, {QStringLiteral("fan"), p.fanPercent}});
    r.fields = {{QStringLiteral("mode"), daemonValue(mode)},
                {QStringLiteral("preset_name"), presetName},
                {QStringLiteral("points"), points}};
    return r;
}

} // namespace vantrel
