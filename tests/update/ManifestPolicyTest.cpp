#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>

#include "update/VantrelPreparedUpdate.h"
#include "update/VantrelUpdateManifestPolicy.h"
#include "update/VantrelUpdateVersionPolicy.h"

using namespace vantrel;

namespace {

using V = VantrelUpdateVersionPolicy;
using P = VantrelUpdateManifestPolicy;

UpdateCheckContext context()
{
    UpdateCheckContext c;
    c.endpoint.manifestURL = QUrl(QStringLiteral("https://downloads.example.test/downloads/latest.json"));
    c.installedVersion = QStringLiteral("1.2.0");
    c.installedBundleVersion = QStringLiteral("40");
    c.runningOSVersion = QStringLiteral("14.5");
    return c;
}

QJsonObject manifestJson()
{
    return QJsonObject{
        {"schema_version", "vantrel_release_manifest.v1"},
        {"channel", "stable"},
        {"version", "1.3.0"},
        {"bundle_version", "41"},
        {"platform", "macos"},
        {"minimum_macos", "13.0"},
        {"artifact",
         QJsonObject{{"file_name", "Vantrel-1.3.0.41.pkg"},
                     {"url", "https://downloads.example.test/downloads/Vantrel-1.3.0.41.pkg"},
                     {"sha256", QString(64, QLatin1Char('a'))},
                     {"size_bytes", 1000}}},
    };
}

std::optional<VantrelUpdateError> judge(const QJsonObject& json, const UpdateCheckContext& c = context())
{
    const auto result = P::accept(QJsonDocument(json).toJson(), c);
    if (const auto* error = std::get_if<VantrelUpdateError>(&result))
        return *error;
    return std::nullopt;
}

QJsonObject withArtifact(const char* key, const QJsonValue& value)
{
    QJsonObject m = manifestJson();
    QJsonObject a = m.value("artifact").toObject();
    a.insert(QLatin1String(key), value);
    m.insert("artifact", a);
    return m;
}

QJsonObject with(const char* key, const QJsonValue& value)
{
    QJsonObject m = manifestJson();
    m.insert(QLatin1String(key), value);
    return m;
}

const VantrelUpdateError invalid{VantrelUpdateError::Kind::invalidManifest};
const VantrelUpdateError upToDate{VantrelUpdateError::Kind::alreadyUpToDate};

} // namespace

TEST(VersionPolicy, NumericComponentsAndCompare)
{
    EXPECT_EQ(V::numericComponents("1.10.2"), (QList<qint64>{1, 10, 2}));
    EXPECT_EQ(V::numericComponents("007"), (QList<qint64>{7}));
    for (const char* bad : {"", "1..2", "1.2.", ".1", "1.a", "-1", "+1", "1.2 ", "99999999999999999999", "١"})
        EXPECT_FALSE(V::numericComponents(QString::fromUtf8(bad))) << bad;

    const auto c
        = [](const char* a, const char* b) { return V::compare(*V::numericComponents(a), *V::numericComponents(b)); };
    EXPECT_EQ(c("1.2", "1.2.0"), 0);
    EXPECT_EQ(c("1.2.0.0", "1.2"), 0);
    EXPECT_EQ(c("1.10", "1.9"), 1);
    EXPECT_EQ(c("1.9", "1.10"), -1);
    EXPECT_EQ(c("2", "1.99.99"), 1);
}

TEST(VersionPolicy, IsNewer)
{
    EXPECT_TRUE(V::isNewer("1.3", "1", "1.2.9", "500"));
    EXPECT_TRUE(V::isNewer("1.2", "41", "1.2.0", "40"));
    EXPECT_FALSE(V::isNewer("1.2", "40", "1.2.0", "40"));
    EXPECT_FALSE(V::isNewer("1.2.0", "39", "1.2.0", "40"));
    EXPECT_FALSE(V::isNewer("1.1.9", "99", "1.2", "1"));
    EXPECT_FALSE(V::isNewer("1.3", "x", "1.2", "1"));
    EXPECT_FALSE(V::isNewer("1.3", "1", "1.2", ""));

    // Build number carried in the version (two or more extra components, bundle version 1):
    // the tail is compared with the installed build number.
    EXPECT_TRUE(V::isNewer("1.2.0.41.0", "1", "1.2.0", "40"));
    EXPECT_FALSE(V::isNewer("1.2.0.40.0", "1", "1.2.0", "40"));
    EXPECT_FALSE(V::isNewer("1.2.0.39.9", "1", "1.2.0", "40"));
    EXPECT_TRUE(V::isNewer("1.2.0.7.1", "1", "1.2.0", "7"));
    // One extra component only: the ordinary rule, and 1.2.0.40 is above 1.2.0.
    EXPECT_TRUE(V::isNewer("1.2.0.40", "1", "1.2.0", "40"));
    // Leading components differ: the ordinary rule decides.
    EXPECT_TRUE(V::isNewer("1.2.1.1", "1", "1.2.0", "99"));
    EXPECT_FALSE(V::isNewer("1.1.9.99", "1", "1.2.0", "1"));
}

TEST(ManifestPolicy, ExpectedFileNameAndMinimumOS)
{
    EXPECT_EQ(P::expectedFileName("1.3.0", "41"), "Vantrel-1.3.0.41.pkg");
    EXPECT_EQ(P::expectedFileName("1.2.0.41.0", "1"), "Vantrel-1.2.0.41.0.pkg");
    EXPECT_EQ(P::expectedFileName("1.2.0.41", "1"), "Vantrel-1.2.0.41.1.pkg");
    EXPECT_EQ(P::expectedFileName("1.2..41.0", "1"), "Vantrel-1.2..41.0.1.pkg");

    const std::optional<QString> os = QStringLiteral("14.5");
    EXPECT_TRUE(P::isSupportedMinimumMacOS("14", os));
    EXPECT_TRUE(P::isSupportedMinimumMacOS("14.5", os));
    EXPECT_TRUE(P::isSupportedMinimumMacOS("13.6.9", os));
    EXPECT_FALSE(P::isSupportedMinimumMacOS("14.5.1", os));
    EXPECT_FALSE(P::isSupportedMinimumMacOS("15", os));
    EXPECT_FALSE(P::isSupportedMinimumMacOS("10.0.0.0", os));
    EXPECT_FALSE(P::isSupportedMinimumMacOS("", os));
    EXPECT_FALSE(P::isSupportedMinimumMacOS("13", std::nullopt));
}

TEST(ManifestPolicy, AcceptsAGoodManifest)
{
    const auto result = P::accept(QJsonDocument(manifestJson()).toJson(), context());
    ASSERT_TRUE(std::holds_alternative<VantrelReleaseManifest>(result));
    const auto& m = std::get<VantrelReleaseManifest>(result);
    EXPECT_EQ(m.version, "1.3.0");
    EXPECT_EQ(m.artifact.sizeBytes, 1000);
    EXPECT_EQ(m.artifact.fileName, "Vantrel-1.3.0.41.pkg");
}

TEST(ManifestPolicy, DecodingAndFieldRules)
{
    EXPECT_EQ(P::accept("not json", context()), (std::variant<VantrelReleaseManifest, VantrelUpdateError>(invalid)));
    QJsonObject missing = manifestJson();
    missing.remove("minimum_macos");
    EXPECT_EQ(judge(missing), invalid);
    EXPECT_EQ(judge(with("version", 13)), invalid);
    EXPECT_EQ(judge(withArtifact("size_bytes", "1000")), invalid);
    EXPECT_EQ(judge(withArtifact("size_bytes", 10.5)), invalid);
    EXPECT_EQ(judge(with("artifact", "none")), invalid);

    EXPECT_EQ(judge(with("channel", "beta")), invalid);
    EXPECT_EQ(judge(with("schema_version", "vantrel_release_manifest.v2")), invalid);
    EXPECT_EQ(judge(with("platform", "linux")), invalid);
    EXPECT_EQ(judge(with("minimum_macos", "13.x")), invalid);

    EXPECT_EQ(judge(withArtifact("size_bytes", 0)), invalid);
    EXPECT_EQ(judge(withArtifact("size_bytes", 524288001)), invalid);
    EXPECT_EQ(judge(withArtifact("size_bytes", 524288000)), std::nullopt);

    EXPECT_EQ(judge(withArtifact("sha256", QString(63, QLatin1Char('a')))), invalid);
    EXPECT_EQ(judge(withArtifact("sha256", QString(64, QLatin1Char('g')))), invalid);
    EXPECT_EQ(judge(withArtifact("sha256", QString(32, QLatin1Char('A')) + QString(32, QLatin1Char('0')))),
              std::nullopt);

    EXPECT_EQ(judge(withArtifact("file_name", "Vantrel-1.3.0.pkg")), invalid);
    EXPECT_EQ(judge(with("minimum_macos", "15")), invalid);
    EXPECT_EQ(judge(with("minimum_macos", "10.0.0.0")), invalid);
    UpdateCheckContext noOS = context();
    noOS.runningOSVersion.reset();
    EXPECT_EQ(judge(manifestJson(), noOS), invalid);
}

TEST(ManifestPolicy, ArtifactURLRules)
{
    const QString base = QStringLiteral("downloads.example.test/downloads/Vantrel-1.3.0.41.pkg");
    EXPECT_EQ(judge(withArtifact("url", "https://" + base)), std::nullopt);
    for (const QString& bad :
         {"http://" + base, "https://" + base + "?x=1", "https://" + base + "?", "https://" + base + "#top",
          QStringLiteral("https://downloads.example.test:443/downloads/Vantrel-1.3.0.41.pkg"), "https://user@" + base,
          "https://user:pw@" + base, QStringLiteral("https://evil.test/downloads/x.pkg"),
          QStringLiteral("https://downloads.example.test.evil.test/downloads/x.pkg"),
          QStringLiteral("https://downloads.example.test/other/Vantrel-1.3.0.41.pkg"),
          QStringLiteral("https://downloads.example.test/Downloads/Vantrel-1.3.0.41.pkg"),
          QStringLiteral("https://downloads.example.test/downloads%2FVantrel.pkg"), QStringLiteral("not a url")})
        EXPECT_EQ(judge(withArtifact("url", bad)), invalid) << bad.toStdString();

    // A development server with a port: packages must come from that very port.
    UpdateCheckContext dev = context();
    dev.endpoint.manifestURL = QUrl(QStringLiteral("https://127.0.0.1:8443/downloads/latest.json"));
    EXPECT_EQ(judge(withArtifact("url", "https://127.0.0.1:8443/downloads/Vantrel-1.3.0.41.pkg"), dev), std::nullopt);
    EXPECT_EQ(judge(withArtifact("url", "https://127.0.0.1:9443/downloads/Vantrel-1.3.0.41.pkg"), dev), invalid);
    EXPECT_EQ(judge(withArtifact("url", "https://127.0.0.1/downloads/Vantrel-1.3.0.41.pkg"), dev), invalid);
}

TEST(ManifestPolicy, NewerThanInstalled)
{
    // The same version with a lower build number is up to date, not an error in the manifest.
    QJsonObject same = with("version", "1.2");
    same.insert("bundle_version", "39");
    QJsonObject a = same.value("artifact").toObject();
    a.insert("file_name", "Vantrel-1.2.39.pkg");
    same.insert("artifact", a);
    EXPECT_EQ(judge(same), upToDate);

    // A rule failure wins over being up to date.
    same.insert("channel", "beta");
    EXPECT_EQ(judge(same), invalid);

    const VantrelReleaseManifest m
        = std::get<VantrelReleaseManifest>(P::accept(QJsonDocument(manifestJson()).toJson(), context()));
    EXPECT_TRUE(VantrelPreparedUpdate::isNewerThanInstalled(m, "1.2.0", "40"));
    EXPECT_FALSE(VantrelPreparedUpdate::isNewerThanInstalled(m, "1.3", "41"));
}

TEST(UpdateEndpoint, TrustedManifestURLAndOverrides)
{
    UpdateEndpoint e;
    e.manifestURL = QUrl(QStringLiteral("https://downloads.example.test/downloads/latest.json"));
    EXPECT_TRUE(e.isTrustedManifestURL());
    e.manifestURL = QUrl(QStringLiteral("http://downloads.example.test/downloads/latest.json"));
    EXPECT_FALSE(e.isTrustedManifestURL());
    e.manifestURL = QUrl(QStringLiteral("https://downloads.example.test/downloads/latest.json?x"));
    EXPECT_FALSE(e.isTrustedManifestURL());

    EXPECT_TRUE(UpdateEndpoint::buildSettings().isTrustedManifestURL());
    QProcessEnvironment env;
    env.insert("VANTREL_UPDATE_MANIFEST_URL", "https://127.0.0.1:8443/downloads/latest.json");
    env.insert("VANTREL_UPDATE_CA_FILE", "/tmp/ca.pem");
    const auto overridden = UpdateEndpoint::fromEnvironment(env, true);
    EXPECT_EQ(overridden.downloadHost(), "127.0.0.1");
    EXPECT_EQ(overridden.downloadPort(), 8443);
    EXPECT_EQ(overridden.caFile, "/tmp/ca.pem");
    EXPECT_EQ(UpdateEndpoint::fromEnvironment(env, false).manifestURL, UpdateEndpoint::buildSettings().manifestURL);
}
