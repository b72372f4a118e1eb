#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QPushButton>
#include <QUrlQuery>

#include "l10n/L10n.h"
#include "platform/fakes/FakeWorkspace.h"
#include "support/TempDir.h"
#include "ui/UiTestRig.h"
#include "ui/settings/SettingsPage.h"
#include "ui/settings/SettingsPageModel.h"
#include "ui/settings/SettingsResponsiveColumns.h"
#include "ui/style/ThemeController.h"
#include "ui/widgets/GaugeBar.h"
#include "ui/widgets/SegmentedControl.h"
#include "ui/widgets/StatusLine.h"
#include "update/FakeTransfers.h"
#include "update/VantrelUpdateInstallation.h"

using namespace vantrel;

namespace {

class SettingsPageTest : public ::testing::Test {
protected:
    SettingsPageTest()
    {
        L10n::setCurrentLanguage("en");
        VantrelUpdateServiceSettings s;
        s.endpoint.manifestURL = QUrl("https://downloads.example.test/downloads/latest.json");
        s.installedVersion = "1.0.0";
        s.installedBundleVersion = "1";
        s.stagingDirectory = dir.file("Updates");
        context = rig.context();
        service = std::make_unique<VantrelUpdateService>(rig.dispatch, context.daemon, transfers.factory(), s);
        flow = std::make_unique<VantrelUpdateInstallation>(rig.dispatch, *service, context.daemon);
        context.updates = flow.get();
        context.workspace = workspace;
        context.theme = &theme;
        context.selectLanguage = [this](const QString& lang) {
            chosen << lang;
            L10n::setCurrentLanguage(lang);
        };
        context.recoveryApplicationPath = dir.file("Vantrel-Recovery.app");
    }
    ~SettingsPageTest() override { L10n::setCurrentLanguage("en"); }

    test::UiTestRig rig;
    test::TempDir dir;
    test::FakeTransfers transfers;
    ThemeController theme{rig.preferences};
    std::shared_ptr<test::FakeWorkspace> workspace = std::make_shared<test::FakeWorkspace>();
    std::unique_ptr<VantrelUpdateService> service;
    std::unique_ptr<VantrelUpdateInstallation> flow;
    UiContext context;
    QStringList chosen;
};

} // namespace

TEST_F(SettingsPageTest, SupportMailAndRecoveryApplication)
{
    SettingsPageInputs inputs;
    inputs.workspace = workspace;
    inputs.shortVersion = "1.4.2";
    inputs.buildNumber = "57";
    inputs.osVersion = "Debian GNU/Linux 12";
    inputs.recoveryApplicationPath = dir.file("Vantrel-Recovery.app");
    SettingsPageModel model(inputs);
    EXPECT_EQ(model.versionText(), "1.4.2 · build 57");

    const QUrl mail = model.supportMailURL("en");
    EXPECT_EQ(mail.scheme(), "mailto");
    EXPECT_EQ(mail.path(), "support@morrowlight.co");
    const QUrlQuery query(mail);
    EXPECT_EQ(query.queryItemValue("subject", QUrl::FullyDecoded), L10n::tr("settings.support.contact.subject", "en"));
    const QString body = query.queryItemValue("body", QUrl::FullyDecoded);
    EXPECT_TRUE(body.contains("Vantrel 1.4.2 · build 57\nDebian GNU/Linux 12")) << body.toStdString();
    EXPECT_FALSE(body.contains("%s"));
    EXPECT_FALSE(mail.toString(QUrl::FullyEncoded).contains(' '));

    model.contactSupport("en");
    EXPECT_EQ(model.supportStatusKey(), "settings.support.status.opened");
    ASSERT_EQ(workspace->openedUrls.size(), 1);
    workspace->accept = false;
    model.contactSupport("en");
    EXPECT_EQ(model.supportStatusKey(), "settings.support.status.failed");

    // No recovery application installed: nothing is opened.
    workspace->accept = true;
    model.openRecoveryApplication();
    EXPECT_EQ(model.recoveryStatusKey(), "settings.link.failed");
    EXPECT_TRUE(workspace->openedApplications.isEmpty());
    dir.write("Vantrel-Recovery.app", "#!/bin/sh\n");
    model.openRecoveryApplication();
    EXPECT_EQ(model.recoveryStatusKey(), "");
    EXPECT_EQ(workspace->openedApplications, QStringList{dir.file("Vantrel-Recovery.app")});
}

TEST_F(SettingsPageTest, AppearanceLanguageAndColumns)
{
    SettingsPage page(context);
    page.resize(1000, 700);
    page.show();
    EXPECT_EQ(page.themeControl()->accessibleName(), "settings-appearance-theme");
    EXPECT_EQ(page.themeControl()->segments(), (QStringList{"System", "Light", "Dark"}));
    page.themeControl()->setCurrentIndex(2);
    EXPECT_EQ(rig.preferences.stringValue("appTheme"), "dark");

    EXPECT_TRUE(page.languageButton("en")->isChecked());
    page.languageButton("ko")->click();
    EXPECT_EQ(chosen, QStringList{"ko"});
    EXPECT_TRUE(page.languageButton("ko")->isChecked());
    EXPECT_EQ(page.updateButton()->text(), L10n::tr("settings.update.button", "ko"));
    EXPECT_EQ(page.themeControl()->segments().at(2), L10n::tr("settings.appearance.dark", "ko"));

    EXPECT_TRUE(page.columns()->isTwoColumns());
    page.resize(560, 700);
    QCoreApplication::processEvents();
    EXPECT_FALSE(page.columns()->isTwoColumns());
    // Stacked: appearance, update, language; each 12 apart and all within the page's width.
    const QWidget* updateCard = page.updateButton()->parentWidget();
    const QWidget* languageCard = page.languageButton("en")->parentWidget();
    const QWidget* appearanceCard = page.themeControl()->parentWidget();
    EXPECT_EQ(updateCard->geometry().top() - appearanceCard->geometry().bottom() - 1, 12);
    EXPECT_EQ(languageCard->geometry().top() - updateCard->geometry().bottom() - 1, 12);
    EXPECT_LE(page.columns()->width(), 560);
    page.resize(1000, 700);
    QCoreApplication::processEvents();
    EXPECT_TRUE(page.columns()->isTwoColumns());
}

TEST_F(SettingsPageTest, UpdateCardFollowsTheFlow)
{
    SettingsPage page(context);
    page.resize(1000, 700);
    page.show();
    EXPECT_TRUE(page.updateStatus()->text().isEmpty());
    EXPECT_FALSE(page.progressBar()->isVisible());
    EXPECT_FALSE(page.recoveryButton()->isVisible());

    page.updateButton()->click();
    EXPECT_EQ(page.updateStatus()->text(), L10n::tr("settings.update.checking", "en"));
    ASSERT_EQ(transfers.entries.size(), 1u);
    // The manifest names a release; its package starts downloading.
    const QByteArray manifest = R"({"schema_version":"vantrel_release_manifest.v1","channel":"stable","version":"1.1.0",
        "bundle_version":"2","platform":"macos","minimum_macos":"13",
        "artifact":{"file_name":"Vantrel-1.1.0.2.pkg","url":"https://downloads.example.test/downloads/Vantrel-1.1.0.2.pkg",
        "sha256":"0000000000000000000000000000000000000000000000000000000000000000","size_bytes":1000}})";
    // Without an operating-system version the release is refused before any download.
    test::FakeTransfers::succeed(*transfers.entries[0], manifest);
    rig.dispatch.runUntilIdle();
    EXPECT_EQ(page.updateStatus()->text(), L10n::tr("settings.update.failed", "en"));
    EXPECT_EQ(transfers.entries.size(), 1u);

    page.updateButton()->click();
    ASSERT_EQ(transfers.entries.size(), 2u);
    test::FakeTransfers::failWith(*transfers.entries[1], UpdateDownloadError::downloadFailed, 0, true);
    rig.dispatch.runUntilIdle();
    EXPECT_EQ(page.updateStatus()->text(), L10n::tr("settings.update.network_failed", "en"));

    page.previewDownload(0.5);
    EXPECT_TRUE(page.progressBar()->isVisible());
    EXPECT_DOUBLE_EQ(page.progressBar()->value(), 0.5);
}

TEST_F(SettingsPageTest, UpdateCardSaysUpdatesComeFromTheDistribution)
{
    rig.transport->reply("get_update_installation_state",
                         QJsonObject{{"status", "error"},
                                     {"code", "ERR_UNSUPPORTED_PLATFORM"},
                                     {"message", "Updates are not installed by the daemon on this platform."}});
    SettingsPage page(context);
    page.resize(1000, 700);
    page.show();
    rig.dispatch.runUntilIdle();
    EXPECT_EQ(page.updateStatus()->text(), L10n::tr("settings.update.unsupported_platform", "en"));
    EXPECT_EQ(page.updateStatus()->token(), DSToken::grey);
    EXPECT_FALSE(page.updateButton()->isVisible()) << "no installation is offered";
    EXPECT_FALSE(page.progressBar()->isVisible());
    EXPECT_TRUE(transfers.entries.empty());
    EXPECT_FALSE(page.isCheckingPlatform());
    page.previewDownload(0.5);
    EXPECT_FALSE(page.progressBar()->isVisible()) << "pictures of the page show no download either";

    L10n::setCurrentLanguage("fr");
    EXPECT_EQ(page.updateStatus()->text(), L10n::tr("settings.update.unsupported_platform", "fr"));
    EXPECT_NE(page.updateStatus()->text(), L10n::tr("settings.update.unsupported_platform", "en"));
}
