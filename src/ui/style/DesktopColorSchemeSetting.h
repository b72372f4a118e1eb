#pragma once
// The desktop's own light/dark preference, where the desktop states one. The theme controller
// follows it for "system"; without a stated preference it falls back to the platform palette.
#include <optional>

#include <QObject>

#include "ui/style/DS.h"

namespace vantrel {

class DesktopColorSchemeSetting : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~DesktopColorSchemeSetting() override = default;

    // Dark or light when the desktop prefers one; nothing for "no preference" or no answer.
    virtual std::optional<ColorScheme> preference() const = 0;

Q_SIGNALS:
    void preferenceChanged();
};

} // namespace vantrel
