#include "node/power/SysfsChoices.h"

namespace vantrel::node {

SysfsChoices SysfsChoices::parse(const QString& text)
{
    SysfsChoices choices;
    for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (word.size() > 2 && word.startsWith(QLatin1Char('[')) && word.endsWith(QLatin1Char(']'))) {
            const QString inner = word.mid(1, word.size() - 2);
            choices.available << inner;
            choices.current = inner;
        } else {
            choices.available << word;
        }
    }
    // An attribute showing one plain word (older drivers) names the current choice only.
    if (choices.current.isEmpty() && choices.available.size() == 1)
        choices.current = choices.available.front();
    return choices;
}

} // namespace vantrel::node
