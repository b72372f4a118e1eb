#pragma once
// Colours of value bands as data; the user interface maps them onto its palette.
namespace vantrel {

enum class BandColour {
    Red,
    Orange,
    Green,
    Cyan,
    PrimaryText
};

} // namespace vantrel
