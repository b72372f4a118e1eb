#pragma once
// Stands in front of the main window's content until the language is chosen, the helper tools
// are installed and accessibility is allowed; then shows the content, and the permissions
// step again should readiness be lost. Phase changes fade in.
#include <QWidget>

#include "ui/onboarding/VantrelOnboardingPhase.h"

class QStackedWidget;

namespace vantrel {

class OnboardingGateModel;
class OnboardingLanguagePage;
class OnboardingPermissionsPage;

class VantrelOnboardingGate final : public QWidget {
    Q_OBJECT
public:
    // content: the main split view (owned from now on). The model outlives the gate.
    VantrelOnboardingGate(OnboardingGateModel& model, QWidget* content, QWidget* parent = nullptr);

    OnboardingGateModel& model() const { return model_; }
    OnboardingLanguagePage* languagePage() const { return language_; }
    OnboardingPermissionsPage* permissionsPage() const { return permissions_; }
    QWidget* content() const { return content_; }
    // The widget on top now.
    QWidget* currentPage() const;

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void showPhase(VantrelOnboardingPhase phase, bool animated);

    OnboardingGateModel& model_;
    QStackedWidget* stack_;
    QWidget* waiting_;
    OnboardingLanguagePage* language_;
    OnboardingPermissionsPage* permissions_;
    QWidget* content_;
};

} // namespace vantrel
