#pragma once
// The meaning of a screen's status line; every screen colours it the same way through the
// palette (grey, orange for work in progress and warnings, green, red).
namespace vantrel {

enum class StatusTone {
    Neutral,
    Progress,
    Success,
    Warning,
    Failure
};

} // namespace vantrel
