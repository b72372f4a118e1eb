#pragma once
// The cards of the fan page: the two mode cards, the three built-in preset cards and the
// feature rows, each with its texts resolved in one language.
#include <vector>

#include <QString>
#include <QStringList>

namespace vantrel {

struct FanCardSpec {
    int id = 0;
    QString titleKey;
    QString title;
    QString description; // titleKey + ".desc"
    QString result; // titleKey + ".result"
    QStringList steps; // titleKey + ".modal.1" … ".modal.4", those that have a text
    // Feature rows only: whether the row's switch can be used, and what it is connected to.
    bool switchable = false;
    QString connectionLabel;
};

class FanCardSpecs {
public:
    static constexpr int hardwareInterlockRow = 4;
    static constexpr int smartAppRow = 13;
    static constexpr int calibrationRow = 6;

    // Every card in id order.
    static std::vector<FanCardSpec> makeSpecs(const QString& lang);
    static FanCardSpec spec(int id, const QString& lang);
    static QString titleKey(int id); // empty for an unknown id

    static const QList<int>& modeCards(); // 1, 2
    static const QList<int>& presetCards(); // 8, 9, 10
    static const QList<int>& featureRows(); // 4, 5, 6, 7, 12, 13, 14
};

} // namespace vantrel
