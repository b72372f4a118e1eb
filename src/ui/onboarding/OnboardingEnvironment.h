#pragma once
// What the onboarding gate asks of the rest of the application. The composition root fills
// these in from the central state, the keep-awake controller and the helper installer.
#include <functional>
#include <optional>

#include <QString>

namespace vantrel {

struct OnboardingEnvironment {
    // Main thread: re-read the accessibility trust into the central state and refresh its
    // automation status and daemon availability.
    std::function<void()> refreshCentralState;
    // Main thread: refresh only the automation status and daemon availability.
    std::function<void()> refreshAutomationAndAvailability;
    // Main thread: the central state's accessibility flag.
    std::function<bool()> accessibilityTrusted;
    // Main thread: opens the system's accessibility settings.
    std::function<void()> openAccessibilitySettings;
    // Main thread: stores and applies the chosen language.
    std::function<void(const QString& lang)> selectLanguage;
    // Blocking, called on a background queue: whether the helper tools are installed and usable.
    std::function<bool()> helperReady;
    // Blocking, called on a background queue: installs the helper tools; the error's
    // description when it failed.
    std::function<std::optional<QString>(const QString& adminPrompt)> installHelper;
};

} // namespace vantrel
