#pragma once
// Renders one page (or a dashboard sheet) offscreen to a PNG, for the application's
// "--screenshot PAGE FILE [--lang CODE] [--theme light|dark]" and for looking at the
// screens without a display.
#include <QSize>
#include <QString>
#include <QStringList>

#include "ui/shell/UiContext.h"

namespace vantrel {

struct ScreenshotRequest {
    // A page identifier, or a sheet: "dashboard.cpu", "dashboard.memory",
    // "dashboard.storage", "dashboard.sensors", "power.drain", "power.alerts", "power.energy".
    QString pageId;
    QString file;
    QString lang; // empty: the current language
    QString theme; // "light" or "dark"; empty: the "appTheme" preference
    QSize size = QSize(1100, 720);
    // How many dashboard refreshes to wait for (two seconds apart) before the picture.
    int refreshes = 1;
    int timeoutMs = 15000;
};

// Every identifier renderPageToPng accepts.
QStringList screenshotTargets();

// Needs a QApplication. Returns false with the reason in *error when the target is unknown
// or the file cannot be written; a daemon that does not answer still gives a picture.
bool renderPageToPng(const UiContext& context, const ScreenshotRequest& request, QString* error = nullptr);
bool renderPageToPng(const UiContext& context, const QString& pageId, const QString& file, const QString& lang,
                     const QString& theme, QString* error = nullptr);

} // namespace vantrel
