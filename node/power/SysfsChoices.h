#pragma once
// An attribute that lists its choices with the current one in brackets:
// "[auto] inhibit-charge force-discharge", "Trickle Fast [Standard] Adaptive Custom".
#include <QString>
#include <QStringList>

namespace vantrel::node {

struct SysfsChoices {
    QStringList available;
    QString current; // empty when none is bracketed

    static SysfsChoices parse(const QString& text);
    bool offers(const QString& choice) const { return available.contains(choice); }
};

} // namespace vantrel::node
