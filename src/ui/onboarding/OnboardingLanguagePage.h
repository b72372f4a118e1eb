#pragma once
// The first onboarding step: the seven languages, each shown in its own name, and continue.
#include <QWidget>

class QButtonGroup;
class QPushButton;

namespace vantrel {

class OnboardingGateModel;
class TokenLabel;

class OnboardingLanguagePage final : public QWidget {
    Q_OBJECT
public:
    OnboardingLanguagePage(OnboardingGateModel& model, QWidget* parent = nullptr);

    QString chosenLanguage() const { return chosen_; }
    void choose(const QString& lang);
    QPushButton* continueButton() const { return continue_; }

private:
    void retranslate();

    OnboardingGateModel& model_;
    QString chosen_;
    TokenLabel* step_;
    TokenLabel* title_;
    TokenLabel* subtitle_;
    QButtonGroup* group_;
    QPushButton* continue_;
};

} // namespace vantrel
