#include "fan/LLMState.h"

namespace vantrel {

QString rawValue(LLMState state)
{
    switch (state) {
    case LLMState::KeepAlive:
        return QStringLiteral("Keep Alive");
    case LLMState::Inferencing:
        return QStringLiteral("Inferencing");
    case LLMState::Idle:
        break;
    }
    return QStringLiteral("Idle");
}

} // namespace vantrel
