#pragma once
// Pictures of the onboarding steps ("onboarding.language", "onboarding.permissions") as a
// first start sees them: nothing installed, accessibility not yet allowed.
#include <QSize>
#include <QString>
#include <QStringList>

#include "ui/shell/UiContext.h"

namespace vantrel {

const QStringList& onboardingScreenshotTargets();

// Needs a QApplication and context.dispatch. theme: "light", "dark" or empty for the stored one.
bool renderOnboardingToPng(const UiContext& context, const QString& target, const QString& file, const QString& theme,
                           QSize size, QString* error);

} // namespace vantrel
