#pragma once
// The preset file "presets.json": reads and repairs it, migrates the older preference copy,
// sets unreadable files aside and saves with a backup. The list it returns always holds the built-ins.
#include <vector>

#include <QString>

#include "fan/FanCurveSettings.h"

namespace vantrel {

class Clock;
class Paths;
class Preferences;

class FanPresetStore {
public:
    // Files live in paths.appSupportFolder(); prefs holds the older "FanCurvePresets" copy;
    // clock stamps files that are set aside.
    FanPresetStore(const Paths& paths, Preferences& prefs, const Clock& clock);

    QString presetsURL() const;

    // The repaired preset list (never empty). Writes a file only on first start or migration.
    std::vector<FanCurveSettings> load() const;
    // Repairs and writes presets; a failure (full disk, read-only folder) is logged
    // ("FanPresetStore: save failed: …"), leaves the previous file as it was, and gives false
    // so a screen where the user saved can say so.
    bool save(const std::vector<FanCurveSettings>& presets) const;
    // The custom presets (isSystemPreset false) of a fresh load, in file order.
    std::vector<FanCurveSettings> loadCustomPresets() const;

    // Old names renamed, points normalised, right points = points, built-in names flagged,
    // missing built-ins appended.
    static std::vector<FanCurveSettings> normalize(std::vector<FanCurveSettings> presets);
    // The stored five-point shape: 1 °C steps, caps 97/98/99.
    static std::vector<CurvePoint> normalizePoints(const std::vector<CurvePoint>& points);

private:
    void setAside(const QString& path) const;

    QString folder_;
    Preferences& prefs_;
    const Clock& clock_;
};

} // namespace vantrel
