#pragma once
// One entry of a feature catalogue: the localisation keys of its title, one-line description,
// explanation steps and expected result, and whether it is dimmed on desktop Macs.
#include <QString>
#include <QStringList>

namespace vantrel {

struct FeatureSpec {
    int id = 0;
    QString title;
    QString uiLabel;
    bool isDesktopGreyOut = false;
    QStringList modal;
    QString result;

    // An entry whose description, four steps and result keys follow one stem:
    // stem + ".desc", ".modal.1" … ".modal.4", ".result".
    static FeatureSpec fromStem(int id, const QString& title, const QString& stem, bool isDesktopGreyOut);

    bool operator==(const FeatureSpec&) const = default;
};

// How opaque a feature's row is drawn: dimmed when it cannot be used, or when the feature makes
// no sense on this desktop Mac.
double featureRowOpacity(const FeatureSpec& spec, bool isDisabled, bool desktopClass);

} // namespace vantrel
