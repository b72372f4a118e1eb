#pragma once
// Running without a display: print the daemon's live readings every 2 s for a while, then
// write a picture of the main window into a folder and end.
#include <functional>
#include <optional>

#include <QObject>
#include <QString>

#include "base/Dispatch.h"
#include "daemon/DaemonStatus.h"

namespace vantrel {

class AppDelegate;
class DaemonClient;

class HeadlessDemo final : public QObject {
    Q_OBJECT
public:
    struct Timing {
        Duration interval{2000};
        Duration runFor{20000};
    };

    HeadlessDemo(Dispatch& dispatch, const DaemonClient& daemon, AppDelegate& delegate, QString directory,
                 std::function<void()> finished, Timing timing);
    HeadlessDemo(Dispatch& dispatch, const DaemonClient& daemon, AppDelegate& delegate, QString directory,
                 std::function<void()> finished)
        : HeadlessDemo(dispatch, daemon, delegate, std::move(directory), std::move(finished), Timing{})
    { }

    void start();
    // Called with the folder after the main window's picture, before the run ends.
    void setMorePictures(std::function<void(const QString& directory)> write) { morePictures_ = std::move(write); }
    static QString statusLine(const std::optional<DaemonStatus>& status);
    // Writes "main-window.png" into the folder; false when it could not be written.
    bool writeScreenshots();

private:
    void poll();
    void finish();

    Dispatch& dispatch_;
    const DaemonClient& daemon_;
    AppDelegate& delegate_;
    QString directory_;
    std::function<void(const QString&)> morePictures_;
    std::function<void()> finished_;
    Timing timing_;
    CancelToken timer_;
};

} // namespace vantrel
