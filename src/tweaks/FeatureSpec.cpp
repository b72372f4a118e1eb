#include "tweaks/FeatureSpec.h"

namespace vantrel {

FeatureSpec FeatureSpec::fromStem(int id, const QString& title, const QString& stem, bool isDesktopGreyOut)
{
    FeatureSpec spec;
    spec.id = id;
    spec.title = title;
    spec.uiLabel = stem + QStringLiteral(".desc");
    spec.isDesktopGreyOut = isDesktopGreyOut;
    for (int step = 1; step <= 4; ++step)
        spec.modal << stem + QStringLiteral(".modal.") + QString::number(step);
    spec.result = stem + QStringLiteral(".result");
    return spec;
}

double featureRowOpacity(const FeatureSpec& spec, bool isDisabled, bool desktopClass)
{
    return isDisabled || (spec.isDesktopGreyOut && desktopClass) ? 0.4 : 1.0;
}

} // namespace vantrel
