#pragma once
// The product's mark at the top of the onboarding steps: the wind symbol on a blue tile and
// the name beside it.
#include <QWidget>

namespace vantrel {

class OnboardingBrandMark final : public QWidget {
    Q_OBJECT
public:
    explicit OnboardingBrandMark(QWidget* parent = nullptr);
};

} // namespace vantrel
