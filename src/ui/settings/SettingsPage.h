#pragma once
// The settings page: appearance, language, the update card, the version and support contact.
#include <QPointer>
#include <QWidget>

#include "ui/shell/UiContext.h"

class QButtonGroup;
class QPushButton;
class QScrollArea;

namespace vantrel {

class Card;
class GaugeBar;
class SegmentedControl;
class SettingsPageModel;
class SettingsResponsiveColumns;
class StatusLine;
class TokenLabel;
class VantrelUpdateInstallation;

class SettingsPage final : public QWidget {
    Q_OBJECT
public:
    SettingsPage(const UiContext& context, QWidget* parent = nullptr);
    ~SettingsPage() override;

    SettingsPageModel& model() const { return *model_; }
    SegmentedControl* themeControl() const { return theme_; }
    QPushButton* updateButton() const { return updateButton_; }
    QPushButton* recoveryButton() const { return recoveryButton_; }
    QPushButton* supportButton() const { return supportButton_; }
    GaugeBar* progressBar() const { return progress_; }
    StatusLine* updateStatus() const { return updateStatus_; }
    StatusLine* supportStatus() const { return supportStatus_; }
    SettingsResponsiveColumns* columns() const { return columns_; }
    QPushButton* languageButton(const QString& code) const;
    // Puts the update card in its downloading state (for pictures of the page), unless this
    // platform installs no updates.
    void previewDownload(double fraction);
    // The update flow is still asking the daemon whether it installs updates here.
    bool isCheckingPlatform() const;

protected:
    // Asks the update flow whether this platform installs updates at all.
    void showEvent(QShowEvent* event) override;

private:
    void retranslate();
    void restyle();
    void refreshUpdateCard();
    void refreshSupportStatus();
    void refreshLanguageSelection();
    Card* makeCard(const QString& symbol, TokenLabel** subtitle);

    UiContext context_;
    SettingsPageModel* model_;
    QPointer<VantrelUpdateInstallation> updates_;
    TokenLabel* title_ = nullptr;
    Card* appearanceCard_ = nullptr;
    Card* languageCard_ = nullptr;
    Card* versionCard_ = nullptr;
    Card* updateCard_ = nullptr;
    Card* supportCard_ = nullptr;
    TokenLabel* appearanceSubtitle_ = nullptr;
    TokenLabel* languageSubtitle_ = nullptr;
    TokenLabel* versionSubtitle_ = nullptr;
    TokenLabel* updateSubtitle_ = nullptr;
    TokenLabel* supportSubtitle_ = nullptr;
    TokenLabel* versionText_ = nullptr;
    SegmentedControl* theme_ = nullptr;
    QButtonGroup* languages_ = nullptr;
    QPushButton* updateButton_ = nullptr;
    QPushButton* recoveryButton_ = nullptr;
    QPushButton* supportButton_ = nullptr;
    GaugeBar* progress_ = nullptr;
    TokenLabel* progressText_ = nullptr;
    StatusLine* updateStatus_ = nullptr;
    StatusLine* supportStatus_ = nullptr;
    SettingsResponsiveColumns* columns_ = nullptr;
};

} // namespace vantrel
