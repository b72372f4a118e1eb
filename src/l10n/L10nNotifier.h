#pragma once
// Announces changes of the process-wide current language, so views can rebuild their texts.
#include <QObject>
#include <QString>

namespace vantrel {

class L10nNotifier : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

Q_SIGNALS:
    void currentLanguageChanged(const QString& language);
};

} // namespace vantrel
