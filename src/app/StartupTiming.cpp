#include "app/StartupTiming.h"

#include <memory>

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

#include "base/Log.h"
#include "core/ThermalManager.h"

namespace vantrel {

StartupTiming::StartupTiming() { sinceStart_.start(); }

bool StartupTiming::requested() { return qEnvironmentVariableIsSet("VANTREL_STARTUP_TIMING"); }

void StartupTiming::watchWindows() { QCoreApplication::instance()->installEventFilter(this); }

void StartupTiming::watchReadings(ThermalManager& manager)
{
    auto connection = std::make_shared<QMetaObject::Connection>();
    *connection = connect(&manager, &ThermalManager::readingsChanged, this, [this, connection] {
        logLine(QStringLiteral("Vantrel start-up: first readings published after %1 ms").arg(sinceStart_.elapsed()));
        disconnect(*connection);
    });
}

bool StartupTiming::eventFilter(QObject* watched, QEvent* event)
{
    if (!windowShown_ && event->type() == QEvent::Show && watched->isWidgetType()
        && static_cast<QWidget*>(watched)->isWindow()) {
        windowShown_ = true;
        logLine(QStringLiteral("Vantrel start-up: main window shown after %1 ms").arg(sinceStart_.elapsed()));
        QCoreApplication::instance()->removeEventFilter(this);
    }
    return QObject::eventFilter(watched, event);
}

} // namespace vantrel
