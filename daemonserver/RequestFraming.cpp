#include "daemonserver/RequestFraming.h"

namespace vantrel::daemonserver {

FrameStatus frameStatus(const QByteArray& bytes)
{
    int depth = 0;
    bool started = false;
    bool inString = false;
    bool escaped = false;
    for (const char c : bytes) {
        if (!started) {
            if (c == ' ' || c == '\t' || c == '\r' || c == '\n')
                continue;
            if (c != '{' && c != '[')
                return FrameStatus::Invalid;
            started = true;
        }
        if (inString) {
            if (escaped)
                escaped = false;
            else if (c == '\\')
                escaped = true;
            else if (c == '"')
                inString = false;
            continue;
        }
        if (c == '"') {
            inString = true;
        } else if (c == '{' || c == '[') {
            ++depth;
        } else if (c == '}' || c == ']') {
            if (--depth == 0)
                return FrameStatus::Complete;
        }
    }
    return FrameStatus::Incomplete;
}

} // namespace vantrel::daemonserver
