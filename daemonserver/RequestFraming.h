#pragma once
// When has a client sent its whole request? Clients send one JSON value with no terminator
// and keep their side open, so the server watches the bytes for the end of that value.
#include <QByteArray>

namespace vantrel::daemonserver {

enum class FrameStatus {
    Incomplete, // more bytes may follow
    Complete, // one whole JSON object or array has arrived
    Invalid, // cannot be the start of a request object: answer at once
};

FrameStatus frameStatus(const QByteArray& bytes);

} // namespace vantrel::daemonserver
