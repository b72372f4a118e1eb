#include "ui/style/DS.h"

#include <array>
#include <atomic>

namespace vantrel {

namespace {

struct TokenValues {
    QRgb dark;
    QRgb light;
};

// Indexed by DSToken.
constexpr std::array<TokenValues, dsTokenCount> kValues = {{
    {0xFF0A84FF, 0xFF006EDB}, // blue
    {0xFF32ADE6, 0xFF0A84C1}, // cyan
    {0xFFFF9F0A, 0xFFB56A00}, // orange
    {0xFFFF453A, 0xFFD70015}, // red
    {0xFF30D158, 0xFF248A3D}, // green
    {0xFF8E8E93, 0xFF6E6E73}, // grey
    {0xFF121214, 0xFFF5F6F8}, // bg
    {0xFF1C1C1E, 0xFFFFFFFF}, // card
    {0xFFD0D0D4, 0xFF50545B}, // textSec
    {0xFFB8B8BE, 0xFF686C73}, // textTer
    {0xFF2C2C30, 0xFFE2E4E8}, // divider
    {0xFF2A2A2E, 0xFFE3E6EA}, // widgetBorder
    {0xFF202226, 0xFFF8FAFD}, // interactiveSurface
    {0xFF1F2822, 0xFFEAF4EE}, // interactiveSurfaceSelected
    {0xFF3E4148, 0xFFD2D7DF}, // interactiveBorder
    {0xFFF5F5F7, 0xFF1D1D1F}, // textPri
    {0xFF6C6C72, 0xFFA3A6AC}, // textDisabled
}};

std::atomic<ColorScheme> gScheme{ColorScheme::light};

} // namespace

QColor DS::color(DSToken token, ColorScheme scheme)
{
    const auto& v = kValues[static_cast<size_t>(token)];
    return QColor::fromRgb(scheme == ColorScheme::dark ? v.dark : v.light);
}

QColor DS::color(DSToken token) { return color(token, scheme()); }

ColorScheme DS::scheme() { return gScheme.load(std::memory_order_relaxed); }

void DS::setScheme(ColorScheme scheme) { gScheme.store(scheme, std::memory_order_relaxed); }

QColor DS::tint(DSToken token, double alpha)
{
    QColor c = color(token);
    c.setAlphaF(alpha);
    return c;
}

} // namespace vantrel
