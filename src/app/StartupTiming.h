#pragma once
// With VANTREL_STARTUP_TIMING set, prints how long after process start the main window was
// first shown and the central state first published readings (bench/app_figures.sh reads it).
#include <QElapsedTimer>
#include <QObject>

namespace vantrel {

class ThermalManager;

class StartupTiming final : public QObject {
    Q_OBJECT
public:
    // Starts the clock; call first thing in main.
    StartupTiming();
    static bool requested();
    // Once the application object exists: watches for the first shown top-level window.
    void watchWindows();
    // Watches for the central state's first published readings.
    void watchReadings(ThermalManager& manager);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QElapsedTimer sinceStart_;
    bool windowShown_ = false;
};

} // namespace vantrel
