#include "ui/onboarding/VantrelOnboardingGate.h"

#include <QGraphicsOpacityEffect>
#include <QPainter>
#include <QPropertyAnimation>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "ui/onboarding/OnboardingGateModel.h"
#include "ui/onboarding/OnboardingLanguagePage.h"
#include "ui/onboarding/OnboardingPermissionsPage.h"
#include "ui/style/DS.h"

namespace vantrel {

VantrelOnboardingGate::VantrelOnboardingGate(OnboardingGateModel& model, QWidget* content, QWidget* parent)
    : QWidget(parent)
    , model_(model)
    , stack_(new QStackedWidget(this))
    , waiting_(new QWidget(this))
    , language_(new OnboardingLanguagePage(model, this))
    , permissions_(new OnboardingPermissionsPage(model, this))
    , content_(content)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(stack_);
    stack_->addWidget(waiting_);
    stack_->addWidget(language_);
    stack_->addWidget(permissions_);
    stack_->addWidget(content_);
    // Until the first check answers: the language step when it was never done, otherwise an
    // empty page, so a ready user does not see the permissions step flash by.
    stack_->setCurrentWidget(model_.phase() == VantrelOnboardingPhase::language ? static_cast<QWidget*>(language_)
                                                                                : waiting_);
    connect(&model_, &OnboardingGateModel::phaseChanged, this,
            [this](VantrelOnboardingPhase phase) { showPhase(phase, true); });
    connect(&model_, &OnboardingGateModel::stateChanged, this, [this] {
        if (model_.hasChecked() && stack_->currentWidget() == waiting_)
            showPhase(model_.phase(), true);
    });
    setMinimumSize(content_->minimumSize());
}

QWidget* VantrelOnboardingGate::currentPage() const { return stack_->currentWidget(); }

void VantrelOnboardingGate::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // The readiness check runs each time the gate comes on screen.
    model_.refreshOnboardingState();
}

void VantrelOnboardingGate::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), DS::bg());
}

void VantrelOnboardingGate::showPhase(VantrelOnboardingPhase phase, bool animated)
{
    QWidget* target = phase == VantrelOnboardingPhase::language ? static_cast<QWidget*>(language_)
        : phase == VantrelOnboardingPhase::permissions          ? static_cast<QWidget*>(permissions_)
                                                                : content_;
    if (stack_->currentWidget() == target)
        return;
    stack_->setCurrentWidget(target);
    if (!animated || !isVisible())
        return;
    auto* effect = new QGraphicsOpacityEffect(target);
    target->setGraphicsEffect(effect);
    auto* fade = new QPropertyAnimation(effect, "opacity", target);
    fade->setDuration(220);
    fade->setStartValue(0.0);
    fade->setEndValue(1.0);
    fade->setEasingCurve(QEasingCurve::OutCubic);
    // The effect is dropped afterwards: it would otherwise repaint the page offscreen forever.
    connect(fade, &QPropertyAnimation::finished, target, [target] { target->setGraphicsEffect(nullptr); });
    fade->start(QAbstractAnimation::DeleteWhenStopped);
}

} // namespace vantrel
