#include "tweaks/FeatureCatalogue.h"

namespace vantrel {

namespace FeatureCatalogue {

const std::vector<FeatureSpec>& sleepSpecs()
{
    static const std::vector<FeatureSpec> specs = {
        FeatureSpec::fromStem(25, QStringLiteral("status_sleep_prevent"),
                              QStringLiteral("feature.sleep.prevent_system_sleep"), false),
        FeatureSpec::fromStem(27, QStringLiteral("feature.sleep.prevent_display_sleep"),
                              QStringLiteral("feature.sleep.prevent_display_sleep"), false),
        FeatureSpec::fromStem(28, QStringLiteral("status_virtual_display"),
                              QStringLiteral("feature.sleep.virtual_clamshell"), true),
        FeatureSpec::fromStem(29, QStringLiteral("lid_open_lock"), QStringLiteral("feature.sleep.safety_lock"), true),
        FeatureSpec::fromStem(30, QStringLiteral("feature.sleep.remote_display_sleep"),
                              QStringLiteral("feature.sleep.remote_display_sleep"), false),
        FeatureSpec::fromStem(31, QStringLiteral("feature.sleep.app_nap"), QStringLiteral("feature.sleep.app_nap"),
                              false),
    };
    return specs;
}

const std::vector<FeatureSpec>& convenienceSpecs()
{
    static const std::vector<FeatureSpec> specs = [] {
        const char* stems[] = {"disk_eject_warning",    "dock_recent_apps",  "animation_zero",     "auto_launch_block",
                               "crash_reporter_silent", "finder_programmer", "quicklook_text_copy"};
        std::vector<FeatureSpec> list;
        int id = 41;
        for (const char* stem : stems) {
            const QString key = QStringLiteral("feature.convenience.") + QString::fromLatin1(stem);
            list.push_back(FeatureSpec::fromStem(id++, key, key, false));
        }
        return list;
    }();
    return specs;
}

const FeatureSpec* find(int id)
{
    for (const auto* list : {&sleepSpecs(), &convenienceSpecs()})
        for (const FeatureSpec& spec : *list)
            if (spec.id == id)
                return &spec;
    return nullptr;
}

} // namespace FeatureCatalogue

} // namespace vantrel
