#pragma once
// The commands of vantrelctl, one function per group; each makes its exchanges through the
// context's daemon client and returns what to print.
#include "tools/vantrelctl/CtlArguments.h"
#include "tools/vantrelctl/CtlContext.h"
#include "tools/vantrelctl/CtlResult.h"

namespace vantrel {

CtlResult runStatus(const CtlContext& ctx);
CtlResult runSensors(const CtlContext& ctx);
CtlResult runUpdateStatus(const CtlContext& ctx);
CtlResult runRaw(const CtlContext& ctx, const CtlCommand& command);
CtlResult runFanCommand(const CtlContext& ctx, const CtlCommand& command);
CtlResult runBatteryCommand(const CtlContext& ctx, const CtlCommand& command);
CtlResult runSleepCommand(const CtlContext& ctx, const CtlCommand& command);

// The result of an exchange that changed nothing on success: no reply, a refusal, or nothing.
std::optional<CtlResult> exchangeFailure(const CtlContext& ctx, const std::optional<QJsonObject>& reply);

} // namespace vantrel
