#include "ui/style/Typography.h"

#include <QApplication>

namespace vantrel {

QStringList Typography::familiesFor(const QString& lang)
{
    QString cjk = QStringLiteral("Noto Sans CJK KR");
    if (lang == QStringLiteral("ja"))
        cjk = QStringLiteral("Noto Sans CJK JP");
    else if (lang == QStringLiteral("zh-Hant"))
        cjk = QStringLiteral("Noto Sans CJK TC");
    else if (lang.startsWith(QStringLiteral("zh")))
        cjk = QStringLiteral("Noto Sans CJK SC");
    return {cjk, QStringLiteral("Noto Sans CJK KR"), QStringLiteral("DejaVu Sans"), QStringLiteral("Sans Serif")};
}

void Typography::applyLanguage(const QString& lang)
{
    QFont f = QApplication::font();
    f.setFamilies(familiesFor(lang));
    f.setPixelSize(13);
    f.setHintingPreference(QFont::PreferNoHinting);
    QApplication::setFont(f);
}

QFont Typography::font(int pixelSize, QFont::Weight weight)
{
    // Only size and weight are set, so the family keeps following the widget's and the
    // application's font when the language changes.
    QFont f;
    f.setPixelSize(pixelSize);
    f.setWeight(weight);
    return f;
}

QFont Typography::numeric(int pixelSize, QFont::Weight weight) { return font(pixelSize, weight); }

} // namespace vantrel
