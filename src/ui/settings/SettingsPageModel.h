#pragma once
// What the settings page shows and does, without widgets: the version text, the language
// choice, the support mail and the recovery application. The update card reads the update
// flow (VantrelUpdateInstallation) directly.
#include <functional>
#include <memory>

#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>

namespace vantrel {

class Workspace;

struct SettingsPageInputs {
    std::shared_ptr<Workspace> workspace;
    QString shortVersion;
    QString buildNumber;
    // The operating system's version string for the support mail.
    QString osVersion;
    // Where the recovery application lives (re-rooted in tests).
    QString recoveryApplicationPath = QStringLiteral("/Applications/Vantrel-Recovery.app");
    QString supportAddress = QStringLiteral("support@morrowlight.co");
    // Switches the application's language (the central state's selectedLanguage).
    std::function<void(const QString&)> selectLanguage;
};

class SettingsPageModel final : public QObject {
    Q_OBJECT
public:
    explicit SettingsPageModel(SettingsPageInputs inputs, QObject* parent = nullptr);

    // "1.0.0 · build 1"
    QString versionText() const;
    // The supported languages in order, each with the name it has in its own language.
    static QStringList languageCodes();
    static QString languageLabel(const QString& code);
    void selectLanguage(const QString& code);

    QUrl supportMailURL(const QString& lang) const;
    void contactSupport(const QString& lang);
    QString supportStatusKey() const { return supportStatusKey_; }

    void openRecoveryApplication();
    QString recoveryStatusKey() const { return recoveryStatusKey_; }

Q_SIGNALS:
    void supportStatusChanged();
    void recoveryStatusChanged();

private:
    SettingsPageInputs inputs_;
    QString supportStatusKey_;
    QString recoveryStatusKey_;
};

} // namespace vantrel
