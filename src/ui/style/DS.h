#pragma once
// The palette every screen draws with: one value per token for the dark and for the light
// appearance, resolved when drawn against the scheme the theme controller put in force.
#include <QColor>

#include "ui/style/DSToken.h"

namespace vantrel {

enum class ColorScheme {
    light,
    dark
};

class DS {
public:
    static QColor color(DSToken token);
    static QColor color(DSToken token, ColorScheme scheme);
    static QColor dark(DSToken token) { return color(token, ColorScheme::dark); }
    static QColor light(DSToken token) { return color(token, ColorScheme::light); }

    static ColorScheme scheme();
    static bool isDark() { return scheme() == ColorScheme::dark; }
    // Set by ThemeController only; everything else reads.
    static void setScheme(ColorScheme scheme);

    static QColor blue() { return color(DSToken::blue); }
    static QColor cyan() { return color(DSToken::cyan); }
    static QColor orange() { return color(DSToken::orange); }
    static QColor red() { return color(DSToken::red); }
    static QColor green() { return color(DSToken::green); }
    static QColor grey() { return color(DSToken::grey); }
    static QColor bg() { return color(DSToken::bg); }
    static QColor card() { return color(DSToken::card); }
    static QColor textPri() { return color(DSToken::textPri); }
    static QColor textSec() { return color(DSToken::textSec); }
    static QColor textTer() { return color(DSToken::textTer); }
    static QColor divider() { return color(DSToken::divider); }

    // A token's colour at an opacity, for tints behind selected rows and chart fills.
    static QColor tint(DSToken token, double alpha);
};

} // namespace vantrel
