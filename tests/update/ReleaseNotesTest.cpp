#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "support/TempDir.h"
#include "update/VantrelUpdateReleaseNotes.h"

using namespace vantrel;

namespace {

QJsonObject entry(const QString& title, int items, int itemLength = 10)
{
    QJsonArray list;
    for (int i = 0; i < items; ++i)
        list.append(QString(itemLength, QLatin1Char('x')));
    return QJsonObject{{"title", title}, {"items", list}};
}

QJsonObject document(QJsonObject localized)
{
    return QJsonObject{{"schema_version", "vantrel_release_notes.v1"},
                       {"version", "1.3.0"},
                       {"bundle_version", "41"},
                       {"localized", localized}};
}

std::optional<VantrelUpdateReleaseNotes::Document> parse(const QJsonObject& o)
{
    return VantrelUpdateReleaseNotes::parse(QJsonDocument(o).toJson());
}

} // namespace

TEST(ReleaseNotes, Validity)
{
    EXPECT_TRUE(parse(document({{"en", entry("New", 6, 500)}})));
    EXPECT_FALSE(parse(document({{"en", entry("New", 7)}})));
    EXPECT_FALSE(parse(document({{"en", entry("New", 0)}})));
    EXPECT_FALSE(parse(document({{"en", entry("New", 1, 501)}})));
    EXPECT_FALSE(parse(document({{"en", entry("New", 1, 0)}})));
    EXPECT_FALSE(parse(document({{"en", entry("", 1)}})));
    EXPECT_TRUE(parse(document({{"en", entry(QString(160, QLatin1Char('t')), 1)}})));
    EXPECT_FALSE(parse(document({{"en", entry(QString(161, QLatin1Char('t')), 1)}})));
    // Bytes in UTF-8, not characters: 54 Hangul syllables are 162 bytes.
    EXPECT_FALSE(parse(document({{"ko", entry(QString(54, QChar(0xD55C)), 1)}})));
    EXPECT_TRUE(parse(document({{"ko", entry(QString(53, QChar(0xD55C)), 1)}})));
    // One bad entry spoils the whole document.
    EXPECT_FALSE(parse(document({{"en", entry("New", 2)}, {"ko", entry("새", 7)}})));
    EXPECT_FALSE(parse(document({})));

    QJsonObject wrongSchema = document({{"en", entry("New", 1)}});
    wrongSchema.insert("schema_version", "vantrel_release_notes.v2");
    EXPECT_FALSE(parse(wrongSchema));
    QJsonObject noVersion = document({{"en", entry("New", 1)}});
    noVersion.insert("version", "");
    EXPECT_FALSE(parse(noVersion));
    QJsonObject badItem = document({{"en", QJsonObject{{"title", "T"}, {"items", QJsonArray{1}}}}});
    EXPECT_FALSE(parse(badItem));
    EXPECT_FALSE(VantrelUpdateReleaseNotes::parse("{"));
}

TEST(ReleaseNotes, LanguageFallbacks)
{
    auto doc = parse(
        document({{"en", entry("English", 1)}, {"zh-Hans", entry("Simplified", 1)}, {"ko", entry("Korean", 1)}}));
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->notes("ko")->title, "Korean");
    EXPECT_EQ(doc->notes("zh")->title, "Simplified");
    EXPECT_EQ(doc->notes("zh-Hant")->title, "Simplified");
    EXPECT_EQ(doc->notes("fr")->title, "English");

    doc = parse(document({{"zh-Hant", entry("Traditional", 1)}, {"zh", entry("Chinese", 1)}}));
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->notes("zh-Hant")->title, "Traditional");
    EXPECT_EQ(doc->notes("zh")->title, "Chinese");
    EXPECT_FALSE(doc->notes("de"));
}

TEST(ReleaseNotes, LoadFromFile)
{
    test::TempDir dir;
    const QString path = dir.path() + "/ReleaseNotes.json";
    EXPECT_FALSE(VantrelUpdateReleaseNotes::load(path));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QJsonDocument(document({{"en", entry("New", 2)}})).toJson());
    f.close();
    const auto doc = VantrelUpdateReleaseNotes::load(path);
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->version, "1.3.0");
    EXPECT_EQ(doc->notes("en")->items.size(), 2);
}

TEST(ReleaseNotes, TheShippedNotesAreValidAndInEnglishAndKorean)
{
    const auto doc = VantrelUpdateReleaseNotes::load(":/vantrel/ReleaseNotes.json");
    ASSERT_TRUE(doc);
    EXPECT_TRUE(doc->isStructurallyValid());
    EXPECT_TRUE(doc->localized.count("en"));
    EXPECT_TRUE(doc->localized.count("ko"));
}
