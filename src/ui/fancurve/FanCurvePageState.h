#pragma once
// The fan page's state over the fan model: what is selected, the feature rows' switches, the
// curve editor's lock and handle moves (each followed by a live apply on the next turn of the
// main queue), the custom preset offers and the page's status line. No widgets here.
#include <map>
#include <memory>
#include <optional>

#include <QObject>
#include <QString>

#include "fan/FanPageModel.h"
#include "fan/FanStatusLine.h"
#include "ui/fancurve/FanCurveEditorGeometry.h"
#include "ui/fancurve/FanScreenServices.h"

namespace vantrel {

class DaemonClient;
class Dispatch;
class Preferences;

class FanCurvePageState : public QObject {
    Q_OBJECT
public:
    FanCurvePageState(const FanScreenServices& services, std::shared_ptr<DaemonClient> daemon, Dispatch& dispatch,
                      QObject* parent = nullptr);
    ~FanCurvePageState() override;

    FanPageModel& page() { return *page_; }
    const FanPageModel& page() const { return *page_; }
    FanControlState& fan() const { return *services_.state; }

    // The page appears: the observation analysis is refreshed, then the selection re-derived.
    void appear();

    bool isMacOSDefault() const;
    // The editor is locked in the operating-system mode: handles stay, save and manage are off.
    bool editorLocked() const { return isMacOSDefault(); }
    // Moves one handle towards a value (rounded and clamped) and applies the curve live on the
    // next turn of the main queue. Ignored while the editor is locked. False when nothing moved.
    bool moveHandle(FanCurveHandle handle, CurveValue target);

    // Feature rows: only the hardware interlock row switches; switching it on asks the daemon
    // for a reset and turns the switch back off.
    bool toggle(int cardId) const;
    void setToggle(int cardId, bool on);

    // Which preset actions the editor offers now.
    bool canSaveNewPreset() const;
    bool canUpdatePreset() const;
    bool canDeletePreset() const;

    // "fan.mode.macos_default.short" in the operating-system mode, else the selected custom
    // preset's name, else the selected preset card's title.
    QString activePresetTitle(const QString& lang) const;
    QString modeTitle(const QString& lang) const;

    // Whether the monitoring loop has produced readings yet; before that none are shown.
    bool hasReadings() const;
    // Live readings, zero without the central state.
    double cpuTemperature() const;
    int fan0RPM() const;
    int fan1RPM() const;
    int fasterFanRPM() const;
    // The marker on the chart at the CPU temperature.
    double operatingMarkerPercent() const;

    // The last outcome of the page's operations (apply, presets, reset).
    const FanStatusLine& status() const { return status_; }

Q_SIGNALS:
    void togglesChanged();
    void statusChanged();
    // The readings or the observed behaviour changed.
    void readingsChanged();
    // Mode, selection, draft, presets or name: everything the editor shows.
    void editorChanged();

private:
    void setStatus(const FanStatusLine& status);
    void scheduleLiveApply();

    FanScreenServices services_;
    std::shared_ptr<DaemonClient> daemon_;
    Dispatch& dispatch_;
    std::unique_ptr<FanPageModel> page_;
    std::map<int, bool> toggles_;
    FanStatusLine status_;
};

} // namespace vantrel
