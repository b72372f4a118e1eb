#pragma once
// The names of the palette's colours. Models pick a token; the view resolves it with DS
// for the scheme in force, so this header needs nothing beyond the standard library.
namespace vantrel {

enum class DSToken {
    blue,
    cyan,
    orange,
    red,
    green,
    grey,
    bg,
    card,
    textSec,
    textTer,
    divider,
    widgetBorder,
    interactiveSurface,
    interactiveSurfaceSelected,
    interactiveBorder,
    textPri,
    textDisabled,
};

inline constexpr int dsTokenCount = static_cast<int>(DSToken::textDisabled) + 1;

} // namespace vantrel
