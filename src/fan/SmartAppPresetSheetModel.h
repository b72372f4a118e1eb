#pragma once
// The smart-app rule sheet: three example rules, one of them editable, and the save action that
// sends the rule's preset to the daemon. Watching applications is the daemon's work.
#include <vector>

#include <QObject>
#include <QString>
#include <QStringList>

#include "fan/FanStatusLine.h"

namespace vantrel {

class DaemonClient;

struct SmartAppRule {
    QString appName;
    QString bundleId;
    QString onLaunch;
    QString onExit;
    bool editable = false; // only the last rule follows selectedPreset / restorePreset
};

class SmartAppPresetSheetModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString selectedPreset READ selectedPreset WRITE setSelectedPreset NOTIFY rulesChanged)
    Q_PROPERTY(QString restorePreset READ restorePreset WRITE setRestorePreset NOTIFY rulesChanged)
    Q_PROPERTY(bool includePreemptive READ includePreemptive WRITE setIncludePreemptive NOTIFY includePreemptiveChanged)
    Q_PROPERTY(vantrel::FanStatusLine actionStatus READ actionStatus NOTIFY actionStatusChanged)

public:
    explicit SmartAppPresetSheetModel(DaemonClient& client, QObject* parent = nullptr);

    static const QStringList& launchChoices(); // "Silent", "Balanced", "Performance"
    static const QStringList& exitChoices(); // the launch choices and "Auto"

    QString selectedPreset() const { return selectedPreset_; }
    QString restorePreset() const { return restorePreset_; }
    bool includePreemptive() const { return includePreemptive_; }
    const FanStatusLine& actionStatus() const { return actionStatus_; }
    std::vector<SmartAppRule> rules() const;

    // Values outside the pickers' choices are ignored.
    void setSelectedPreset(const QString& preset);
    void setRestorePreset(const QString& preset);
    void setIncludePreemptive(bool include);

    // Sends the performance curve with selectedPreset as the preset name and smart app presets on;
    // the exit choice and the pre-emptive switch stay on the sheet. Waits for the reply.
    void saveRule();
    // No application can be added yet; says so.
    void addApp();

Q_SIGNALS:
    void rulesChanged();
    void includePreemptiveChanged();
    void actionStatusChanged();

private:
    void setStatus(FanStatusLine status);

    DaemonClient& client_;
    QString selectedPreset_ = QStringLiteral("Performance");
    QString restorePreset_ = QStringLiteral("Balanced");
    bool includePreemptive_ = true;
    FanStatusLine actionStatus_;
};

} // namespace vantrel
