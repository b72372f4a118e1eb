#pragma once
// After an update the relaunched application tells the daemon it is running
// ("ack_update_app_relaunch") and shows the new release's notes once.
#include <memory>
#include <optional>

#include <QObject>
#include <QString>

#include "base/Dispatch.h"
#include "base/Preferences.h"
#include "update/VantrelUpdateReleaseNotes.h"

namespace vantrel {

class DaemonClient;

class VantrelUpdateRelaunch final : public QObject {
    Q_OBJECT
public:
    // The "version (bundle version)" whose notes wait to be shown.
    static inline const QString pendingNotesKey = QStringLiteral("vantrel.update.pendingReleaseNotes.v1");

    VantrelUpdateRelaunch(Dispatch& dispatch, std::shared_ptr<const DaemonClient> daemon, Preferences& preferences,
                          QString installedVersion, QString installedBundleVersion, QObject* parent = nullptr);

    // Asks the daemon (on a background queue) for its installation state; an installation of
    // this very version that is verified or completed and not yet acknowledged is acknowledged,
    // and its release notes become pending.
    void acknowledgePendingUpdateRelaunch();
    // The pending notes in lang when the shipped document is of this release; clears the mark,
    // so they are shown once. Nothing when none are pending or the document does not match.
    std::optional<VantrelUpdateReleaseNotes::LocalizedNotes>
    takePendingReleaseNotes(const std::optional<VantrelUpdateReleaseNotes::Document>& notes, const QString& lang);

Q_SIGNALS:
    void acknowledged(const QString& transactionID);

private:
    QString releaseMark() const;

    Dispatch& dispatch_;
    std::shared_ptr<const DaemonClient> daemon_;
    Preferences& preferences_;
    QString installedVersion_;
    QString installedBundleVersion_;
};

} // namespace vantrel
