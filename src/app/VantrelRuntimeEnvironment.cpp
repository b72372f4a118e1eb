#include "app/VantrelRuntimeEnvironment.h"

#include "base/BuildInfo.h"

namespace vantrel {

const VantrelRuntimeEnvironment& VantrelRuntimeEnvironment::current()
{
    static const VantrelRuntimeEnvironment environment
        = forBundleIdentifier(VANTREL_DEVELOPMENT_BUILD ? developmentBundleIdentifier : productionBundleIdentifier);
    return environment;
}

} // namespace vantrel
