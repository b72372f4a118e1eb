#include "fan/FanPresetStore.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>

#include "base/AtomicFile.h"
#include "base/Clock.h"
#include "base/Log.h"
#include "base/Paths.h"
#include "base/Preferences.h"
#include "fan/FanCurveMath.h"

namespace vantrel {

namespace {

const QString kFileName = QStringLiteral("presets.json");

QString currentName(const QString& name)
{
    if (name == QLatin1String("Balanced"))
        return QStringLiteral("curve_balance");
    if (name == QLatin1String("Aggressive"))
        return QStringLiteral("curve_turbo");
    if (name == QLatin1String("Silent"))
        return QStringLiteral("curve_silent");
    return name;
}

} // namespace

FanPresetStore::FanPresetStore(const Paths& paths, Preferences& prefs, const Clock& clock)
    : folder_(paths.appSupportFolder())
    , prefs_(prefs)
    , clock_(clock)
{
    if (folder_.isEmpty())
        folder_ = QDir::tempPath() + QStringLiteral("/Vantrel");
}

QString FanPresetStore::presetsURL() const { return folder_ + QLatin1Char('/') + kFileName; }

std::vector<CurvePoint> FanPresetStore::normalizePoints(const std::vector<CurvePoint>& points)
{
    return normalizeCurvePointsWithStep(points, 1, 97);
}

std::vector<FanCurveSettings> FanPresetStore::normalize(std::vector<FanCurveSettings> presets)
{
    for (auto& preset : presets) {
        preset.name = currentName(preset.name);
        preset.points = normalizePoints(preset.points);
        preset.rightPoints = preset.points;
        if (FanCurveSettings::isBuiltInName(preset.name))
            preset.isSystemPreset = true;
    }
    for (const auto& builtIn : FanCurveSettings::systemPresets()) {
        const bool present = std::any_of(presets.begin(), presets.end(),
                                         [&](const FanCurveSettings& p) { return p.name == builtIn.name; });
        // The built-ins are already in the stored shape; their right curve equals the left one
        // like every other preset's.
        if (!present) {
            presets.push_back(builtIn);
            presets.back().rightPoints = builtIn.points;
        }
    }
    return presets;
}

std::vector<FanCurveSettings> FanPresetStore::load() const
{
    const QString path = presetsURL();
    if (QFileInfo::exists(path)) {
        const auto bytes = readFile(path);
        auto presets = bytes ? FanCurveSettings::listFromJsonBytes(*bytes) : std::nullopt;
        if (presets)
            return normalize(std::move(*presets));
        logLine(QStringLiteral("FanPresetStore: could not read %1; set aside, using the built-in presets").arg(path));
        setAside(path);
        return normalize(FanCurveSettings::systemPresets());
    }
    if (prefs_.exists(QStringLiteral("FanCurvePresets"))) {
        auto migrated = FanCurveSettings::listFromJsonBytes(prefs_.dataValue(QStringLiteral("FanCurvePresets")));
        if (migrated) {
            auto presets = normalize(std::move(*migrated));
            save(presets);
            return presets;
        }
    }
    auto presets = normalize(FanCurveSettings::systemPresets());
    save(presets);
    return presets;
}

std::vector<FanCurveSettings> FanPresetStore::loadCustomPresets() const
{
    std::vector<FanCurveSettings> custom;
    for (auto& preset : load())
        if (!preset.isSystemPreset)
            custom.push_back(std::move(preset));
    return custom;
}

void FanPresetStore::setAside(const QString& path) const
{
    QString stamp = clock_.now().toUTC().toString(Qt::ISODate);
    stamp.replace(QLatin1Char(':'), QLatin1Char('-'));
    // A failed move is ignored: the built-ins are used either way and the next save replaces the file.
    QFile::rename(path, path + QStringLiteral(".corrupted.") + stamp);
}

bool FanPresetStore::save(const std::vector<FanCurveSettings>& presets) const
{
    const QString path = presetsURL();
    const QString tmp = path + QStringLiteral(".tmp");
    const QString bak = path + QStringLiteral(".bak");
    const auto fail = [&](const QString& reason) {
        logLine(QStringLiteral("FanPresetStore: save failed: ") + reason
                + (QFileInfo::exists(path) ? QStringLiteral(" (%1 kept as it was)").arg(path) : QString()));
        QFile::remove(tmp);
        return false;
    };

    if (!QDir().mkpath(folder_))
        return fail(QStringLiteral("could not create the folder %1").arg(folder_));
    const QByteArray data
        = QJsonDocument(FanCurveSettings::toJsonArray(normalize(presets))).toJson(QJsonDocument::Indented);
    if (QFileInfo::exists(path)) {
        QFile::remove(bak);
        QFile::copy(path, bak);
    }
    QString error;
    if (!writeFileAtomically(tmp, data, std::nullopt, &error))
        return fail(error);
    // rename(2) replaces presets.json in one step, so no moment exists without a preset file.
    if (std::rename(QFile::encodeName(tmp).constData(), QFile::encodeName(path).constData()) != 0)
        return fail(QString::fromLocal8Bit(std::strerror(errno)));
    return true;
}

} // namespace vantrel
