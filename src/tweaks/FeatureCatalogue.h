#pragma once
// The catalogues of the feature screens: the sleep features (25…31) and the convenience
// tweaks (41…47), in the order their screens list them.
#include <vector>

#include <QString>

#include "tweaks/FeatureSpec.h"

namespace vantrel {

namespace FeatureCatalogue {

const std::vector<FeatureSpec>& sleepSpecs();
const std::vector<FeatureSpec>& convenienceSpecs();
// The entry with this id in either catalogue; null when none has it.
const FeatureSpec* find(int id);

} // namespace FeatureCatalogue

} // namespace vantrel
