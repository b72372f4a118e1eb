// Entry of the widget tests: a QApplication on the offscreen platform, English texts.
#include <QApplication>

#include <gtest/gtest.h>

#include "l10n/L10n.h"

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    vantrel::L10n::setCurrentLanguage(QStringLiteral("en"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
