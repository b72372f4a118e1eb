#include "ui/onboarding/OnboardingBrandMark.h"

#include <QHBoxLayout>

#include "ui/widgets/SymbolView.h"
#include "ui/widgets/TokenLabel.h"

namespace vantrel {

OnboardingBrandMark::OnboardingBrandMark(QWidget* parent)
    : QWidget(parent)
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(10);
    layout->addWidget(new SymbolView(QStringLiteral("wind"), DSToken::blue, 30, this), 0, Qt::AlignVCenter);
    layout->addWidget(new TokenLabel(QStringLiteral("Vantrel"), DSToken::textPri, 20, QFont::Bold, this), 0,
                      Qt::AlignVCenter);
}

} // namespace vantrel
