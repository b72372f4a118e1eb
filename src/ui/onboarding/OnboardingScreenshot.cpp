#include "ui/onboarding/OnboardingScreenshot.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <QThread>

#include "base/Preferences.h"
#include "ui/onboarding/OnboardingGateModel.h"
#include "ui/onboarding/VantrelOnboardingGate.h"
#include "ui/shell/VantrelRootView.h"
#include "ui/style/ThemeController.h"

namespace vantrel {

namespace {

void runEventsFor(int ms, const std::function<bool()>& done = {})
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms && !(done && done())) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
}

} // namespace

const QStringList& onboardingScreenshotTargets()
{
    static const QStringList targets
        = {QStringLiteral("onboarding.language"), QStringLiteral("onboarding.permissions")};
    return targets;
}

bool renderOnboardingToPng(const UiContext& context, const QString& target, const QString& file, const QString& theme,
                           QSize size, QString* error)
{
    if (!context.dispatch) {
        if (error)
            *error = QStringLiteral("no dispatch for the onboarding picture");
        return false;
    }
    // A first start: the language step never done (or just done), nothing installed or allowed.
    MemoryPreferences firstStart;
    if (target == QStringLiteral("onboarding.permissions"))
        firstStart.setValue(OnboardingGateModel::languageCompletedKey, true);
    OnboardingEnvironment environment;
    environment.accessibilityTrusted = [] { return false; };
    environment.helperReady = [] { return false; };
    OnboardingGateModel model(*context.dispatch, firstStart, environment);

    auto* root = new VantrelRootView(context);
    if (!theme.isEmpty())
        root->theme().applyScheme(theme == QStringLiteral("dark") ? ColorScheme::dark : ColorScheme::light);
    VantrelOnboardingGate gate(model, root);
    gate.setAttribute(Qt::WA_DontShowOnScreen);
    gate.resize(size);
    gate.show();
    runEventsFor(3000, [&] { return model.hasChecked(); });
    // Let the step's fade-in finish.
    runEventsFor(400);
    const QPixmap picture = gate.grab();
    gate.hide();
    if (!picture.save(file, "PNG")) {
        if (error)
            *error = QStringLiteral("cannot write \"%1\"").arg(file);
        return false;
    }
    return true;
}

} // namespace vantrel
