#pragma once
// The second onboarding step: what the app does for the user (value cards), the helper tools
// with their install button and status, the accessibility permission, and the finish button.
#include <QWidget>

class QPushButton;

namespace vantrel {

class OnboardingGateModel;
class StatusLine;
class TokenLabel;

class OnboardingPermissionsPage final : public QWidget {
    Q_OBJECT
public:
    OnboardingPermissionsPage(OnboardingGateModel& model, QWidget* parent = nullptr);

    QPushButton* installButton() const { return install_; }
    QPushButton* accessibilityButton() const { return accessibility_; }
    QPushButton* finishButton() const { return finish_; }
    StatusLine* helperStatus() const { return helperStatus_; }
    StatusLine* accessibilityStatus() const { return accessibilityStatus_; }
    TokenLabel* installOutcome() const { return installOutcome_; }

private:
    void retranslate();
    void refresh();

    OnboardingGateModel& model_;
    TokenLabel* step_;
    TokenLabel* title_;
    TokenLabel* subtitle_;
    struct ValueCard {
        TokenLabel* title;
        TokenLabel* body;
    };
    ValueCard values_[3];
    TokenLabel* helperTitle_;
    TokenLabel* helperBadge_;
    TokenLabel* helperSubtitle_;
    QPushButton* install_;
    StatusLine* helperStatus_;
    TokenLabel* installOutcome_;
    TokenLabel* accessibilityTitle_;
    TokenLabel* accessibilitySubtitle_;
    QPushButton* accessibility_;
    StatusLine* accessibilityStatus_;
    TokenLabel* accessibilityHint_;
    TokenLabel* checking_;
    QPushButton* refresh_;
    QPushButton* finish_;
};

} // namespace vantrel
