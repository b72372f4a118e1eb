#pragma once
// The palette colour of a status line's tone, the same on every screen.
#include "base/StatusTone.h"
#include "ui/style/DSToken.h"

namespace vantrel {

constexpr DSToken statusToneToken(StatusTone tone)
{
    switch (tone) {
    case StatusTone::Progress:
    case StatusTone::Warning:
        return DSToken::orange;
    case StatusTone::Success:
        return DSToken::green;
    case StatusTone::Failure:
        return DSToken::red;
    case StatusTone::Neutral:
        break;
    }
    return DSToken::grey;
}

} // namespace vantrel
