#pragma once
// The steps of the first-run gate in front of the main window.
namespace vantrel {

enum class VantrelOnboardingPhase {
    language,
    permissions,
    complete
};

} // namespace vantrel
