#pragma once
// Fonts by size and weight, and the font family that renders the user's language well
// (Korean, Chinese and Japanese each want their own CJK variant).
#include <QFont>
#include <QString>
#include <QStringList>

namespace vantrel {

class Typography {
public:
    static QStringList familiesFor(const QString& lang);
    // Sets the application font for lang; every font() built afterwards follows it.
    static void applyLanguage(const QString& lang);
    static QFont font(int pixelSize, QFont::Weight weight = QFont::Normal);
    // Numbers on cards and charts; one place to change if a figure font is added.
    static QFont numeric(int pixelSize, QFont::Weight weight = QFont::DemiBold);
};

} // namespace vantrel
