// The screenshot facility writes a real PNG of a page and of a sheet, and refuses unknown
// targets and themes. Virtual time: no read-back arrives, pages render as first built.
#include <gtest/gtest.h>

#include <QImage>

#include "UiTestRig.h"
#include "l10n/L10n.h"
#include "support/TempDir.h"
#include "ui/screenshot/PageScreenshot.h"

using namespace vantrel;

TEST(Screenshot, RendersPagesAndSheetsToPng)
{
    test::UiTestRig rig;
    test::TempDir dir;
    QString error;
    auto render = [&](const QString& page, const QString& file, const QString& lang, const QString& theme) {
        ScreenshotRequest request;
        request.pageId = page;
        request.file = dir.path() + "/" + file;
        request.lang = lang;
        request.theme = theme;
        request.timeoutMs = 0;
        return renderPageToPng(rig.context(), request, &error);
    };

    ASSERT_TRUE(render("dashboard", "dashboard.png", "en", "dark")) << error.toStdString();
    QImage image(dir.path() + "/dashboard.png");
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(1100, 720));
    // Dark theme: the page background in the bottom-right corner is the dark bg token.
    EXPECT_EQ(image.pixelColor(1095, 715).rgb() & 0xFFFFFF, 0x121214u);

    ASSERT_TRUE(render("dashboard.memory", "memory.png", "en", "light")) << error.toStdString();
    EXPECT_FALSE(QImage(dir.path() + "/memory.png").isNull());
    ASSERT_TRUE(render("power", "power.png", "ko", "light")) << error.toStdString();
    EXPECT_EQ(QImage(dir.path() + "/power.png").pixelColor(1095, 715).rgb() & 0xFFFFFF, 0xF5F6F8u);
    for (const char* sheet : {"power.drain", "power.alerts", "power.energy"}) {
        ASSERT_TRUE(render(sheet, QString::fromLatin1(sheet) + ".png", "en", "dark")) << error.toStdString();
        EXPECT_FALSE(QImage(dir.path() + "/" + sheet + ".png").isNull()) << sheet;
    }

    EXPECT_FALSE(render("fans", "x.png", "en", "light"));
    EXPECT_TRUE(error.contains("unknown page"));
    EXPECT_FALSE(render("dashboard", "x.png", "en", "sepia"));
    EXPECT_TRUE(error.contains("unknown theme"));
    EXPECT_FALSE(render("settings", "missing/dir/x.png", "en", "dark"));
    EXPECT_TRUE(error.contains("cannot write"));
    L10n::setCurrentLanguage("en");
}
