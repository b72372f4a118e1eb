#include "ui/settings/SettingsPage.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QSysInfo>
#include <QVBoxLayout>

#include "base/BuildInfo.h"
#include "l10n/L10n.h"
#include "l10n/L10nNotifier.h"
#include "ui/settings/SettingsPageModel.h"
#include "ui/settings/SettingsResponsiveColumns.h"
#include "ui/shell/SidebarLayout.h"
#include "ui/style/ThemeController.h"
#include "ui/widgets/Card.h"
#include "ui/widgets/GaugeBar.h"
#include "ui/widgets/ScrollingPage.h"
#include "ui/widgets/SegmentedControl.h"
#include "ui/widgets/StatusLine.h"
#include "ui/widgets/SymbolPainter.h"
#include "ui/widgets/TokenLabel.h"
#include "update/VantrelUpdateInstallation.h"

namespace vantrel {

namespace {

const QStringList kThemes{QStringLiteral("system"), QStringLiteral("light"), QStringLiteral("dark")};

DSToken toneFor(const QString& key)
{
    if (key == QLatin1String("settings.update.completed") || key == QLatin1String("settings.update.no_update")
        || key == QLatin1String("settings.support.status.opened"))
        return DSToken::green;
    if (key == QLatin1String("settings.update.checking") || key == QLatin1String("settings.update.started")
        || key == QLatin1String("settings.update.installing"))
        return DSToken::blue;
    if (key == QLatin1String("settings.update.cancelled") || key == QLatin1String("settings.update.rolled_back"))
        return DSToken::orange;
    // Not a failure: this platform updates through its package manager.
    if (key == QLatin1String("settings.update.unsupported_platform"))
        return DSToken::grey;
    return DSToken::red;
}

QString css(const QColor& c) { return c.name(QColor::HexArgb); }

QIcon symbolIcon(const QString& symbol)
{
    QPixmap pixmap(QSize(32, 32));
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    SymbolPainter::paint(painter, symbol, QRectF(0, 0, 32, 32), DS::textPri());
    painter.end();
    pixmap.setDevicePixelRatio(2.0);
    return QIcon(pixmap);
}

QString megabytes(qint64 bytes) { return QString::number(static_cast<double>(bytes) / 1048576.0, 'f', 1); }

} // namespace

SettingsPage::SettingsPage(const UiContext& context, QWidget* parent)
    : QWidget(parent)
    , context_(context)
    , updates_(context.updates)
{
    SettingsPageInputs inputs;
    inputs.workspace = context.workspace;
    inputs.shortVersion = QStringLiteral(VANTREL_SHORT_VERSION);
    inputs.buildNumber = QStringLiteral(VANTREL_BUILD_NUMBER);
    inputs.osVersion = QSysInfo::prettyProductName();
    if (!context.recoveryApplicationPath.isEmpty())
        inputs.recoveryApplicationPath = context.recoveryApplicationPath;
    inputs.selectLanguage = context.selectLanguage;
    model_ = new SettingsPageModel(std::move(inputs), this);

    const ScrollingPage scrolling(this, Qt::ScrollBarAsNeeded);
    QWidget* content = scrolling.content();
    QVBoxLayout* page = scrolling.column({28, 24, 28, 28}, 16);
    title_ = new TokenLabel(QString(), DSToken::textPri, 24, QFont::Bold, content);
    page->addWidget(title_);

    // Appearance.
    appearanceCard_ = makeCard(QStringLiteral("circle.lefthalf.filled"), &appearanceSubtitle_);
    theme_ = new SegmentedControl(appearanceCard_);
    theme_->setObjectName(QStringLiteral("settings-appearance-theme"));
    theme_->setAccessibleName(QStringLiteral("settings-appearance-theme"));
    theme_->setSegments({QString(), QString(), QString()});
    appearanceCard_->contentLayout()->addWidget(theme_, 0, Qt::AlignLeft);
    connect(theme_, &SegmentedControl::currentChanged, this, [this](int index) {
        if (index >= 0 && index < kThemes.size() && context_.theme)
            context_.theme->setAppTheme(kThemes[index]);
    });

    // Language grid.
    languageCard_ = makeCard(QStringLiteral("globe"), &languageSubtitle_);
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(8);
    languages_ = new QButtonGroup(this);
    languages_->setExclusive(true);
    const QStringList codes = SettingsPageModel::languageCodes();
    for (int i = 0; i < codes.size(); ++i) {
        auto* button = new QPushButton(SettingsPageModel::languageLabel(codes[i]) + QStringLiteral("  ·  ") + codes[i],
                                       languageCard_);
        button->setCheckable(true);
        button->setObjectName(QStringLiteral("settings-language-") + codes[i]);
        button->setProperty("languageCode", codes[i]);
        button->setMinimumHeight(30);
        languages_->addButton(button, i);
        grid->addWidget(button, i / 2, i % 2);
    }
    languageCard_->contentLayout()->addLayout(grid);
    connect(languages_, &QButtonGroup::idClicked, this, [this, codes](int id) { model_->selectLanguage(codes[id]); });

    // Version.
    versionCard_ = makeCard(QStringLiteral("info.circle"), &versionSubtitle_);
    versionText_ = new TokenLabel(model_->versionText(), DSToken::textPri, 15, QFont::DemiBold, versionCard_);
    versionText_->setObjectName(QStringLiteral("settings-app-version"));
    versionText_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    versionCard_->contentLayout()->addWidget(versionText_);

    // Update.
    updateCard_ = makeCard(QStringLiteral("arrow.down.circle"), &updateSubtitle_);
    auto* updateRow = new QHBoxLayout;
    updateRow->setSpacing(8);
    updateButton_ = new QPushButton(updateCard_);
    updateButton_->setObjectName(QStringLiteral("settings-update-button"));
    recoveryButton_ = new QPushButton(updateCard_);
    recoveryButton_->setObjectName(QStringLiteral("settings-update-recovery"));
    updateRow->addWidget(updateButton_);
    updateRow->addWidget(recoveryButton_);
    updateRow->addStretch(1);
    updateCard_->contentLayout()->addLayout(updateRow);
    auto* progressRow = new QHBoxLayout;
    progressRow->setSpacing(10);
    progress_ = new GaugeBar(updateCard_);
    progress_->setObjectName(QStringLiteral("settings-update-progress"));
    progressText_ = new TokenLabel(QString(), DSToken::textSec, 12, QFont::Normal, updateCard_);
    progressRow->addWidget(progress_, 1);
    progressRow->addWidget(progressText_);
    updateCard_->contentLayout()->addLayout(progressRow);
    updateStatus_ = new StatusLine(updateCard_);
    updateCard_->contentLayout()->addWidget(updateStatus_);
    connect(updateButton_, &QPushButton::clicked, this, [this] {
        if (updates_)
            updates_->start();
    });
    connect(recoveryButton_, &QPushButton::clicked, this, [this] { model_->openRecoveryApplication(); });
    connect(model_, &SettingsPageModel::recoveryStatusChanged, this, &SettingsPage::refreshUpdateCard);
    if (updates_) {
        connect(updates_, &VantrelUpdateInstallation::statusChanged, this, &SettingsPage::refreshUpdateCard);
        connect(updates_, &VantrelUpdateInstallation::progressChanged, this, &SettingsPage::refreshUpdateCard);
    }

    // Support.
    supportCard_ = makeCard(QStringLiteral("bubble.left.and.exclamationmark.bubble.right.fill"), &supportSubtitle_);
    supportButton_ = new QPushButton(supportCard_);
    supportButton_->setObjectName(QStringLiteral("settings-support-contact"));
    supportCard_->contentLayout()->addWidget(supportButton_, 0, Qt::AlignLeft);
    supportStatus_ = new StatusLine(supportCard_);
    supportCard_->contentLayout()->addWidget(supportStatus_);
    connect(supportButton_, &QPushButton::clicked, this, [this] { model_->contactSupport(L10n::currentLanguage()); });
    connect(model_, &SettingsPageModel::supportStatusChanged, this, &SettingsPage::refreshSupportStatus);

    columns_ = new SettingsResponsiveColumns({appearanceCard_, languageCard_, versionCard_},
                                             {updateCard_, supportCard_}, content);
    page->addWidget(columns_);
    page->addStretch(1);

    connect(&L10n::notifier(), &L10nNotifier::currentLanguageChanged, this, &SettingsPage::retranslate);
    if (context_.theme) {
        connect(context_.theme, &ThemeController::schemeChanged, this, [this] {
            theme_->setCurrentIndex(std::max<int>(0, kThemes.indexOf(context_.theme->appTheme())));
            restyle();
        });
    }
    theme_->setCurrentIndex(context_.theme ? std::max<int>(0, kThemes.indexOf(context_.theme->appTheme())) : 0);
    retranslate();
}

SettingsPage::~SettingsPage() = default;

Card* SettingsPage::makeCard(const QString& symbol, TokenLabel** subtitle)
{
    auto* card = new Card(this);
    card->setSymbol(symbol);
    *subtitle = new TokenLabel(QString(), DSToken::textSec, 12, QFont::Normal, card);
    (*subtitle)->setWordWrap(true);
    card->contentLayout()->addWidget(*subtitle);
    return card;
}

QPushButton* SettingsPage::languageButton(const QString& code) const
{
    for (QAbstractButton* b : languages_->buttons()) {
        if (b->property("languageCode").toString() == code)
            return static_cast<QPushButton*>(b);
    }
    return nullptr;
}

void SettingsPage::previewDownload(double fraction)
{
    if (updates_ && !updates_->isUnsupportedPlatform())
        updates_->showDownloadPreview(static_cast<qint64>(fraction * 48.0 * 1048576.0), 48LL * 1048576);
}

void SettingsPage::retranslate()
{
    const QString lang = L10n::currentLanguage();
    const auto tr = [&lang](const char* key) { return L10n::tr(QLatin1String(key), lang); };
    title_->setText(SidebarLayout::item(page::settings, lang).title);
    appearanceCard_->setTitle(tr("settings.appearance.title"));
    appearanceSubtitle_->setText(tr("settings.appearance.subtitle"));
    theme_->setLabels(
        {tr("settings.appearance.system"), tr("settings.appearance.light"), tr("settings.appearance.dark")});
    languageCard_->setTitle(tr("settings.language.title"));
    languageSubtitle_->setText(tr("settings.language.subtitle"));
    versionCard_->setTitle(tr("settings.app_version.title"));
    versionSubtitle_->setText(tr("settings.app_version.subtitle"));
    updateCard_->setTitle(tr("settings.update.title"));
    updateSubtitle_->setText(tr("settings.update.subtitle"));
    updateButton_->setText(tr("settings.update.button"));
    recoveryButton_->setText(tr("settings.update.recovery.button"));
    supportCard_->setTitle(tr("settings.support.title"));
    supportSubtitle_->setText(tr("settings.support.subtitle"));
    supportButton_->setText(tr("settings.support.contact.button"));
    refreshLanguageSelection();
    refreshUpdateCard();
    refreshSupportStatus();
    restyle();
}

void SettingsPage::restyle()
{
    // The chosen language stands out in the palette's accent; the others look like buttons.
    const QString style
        = QStringLiteral(
              "QPushButton { background: %1; border: 1px solid %2; border-radius: 6px; color: %3; padding: 4px 10px; }"
              "QPushButton:checked { background: %4; border: 1px solid %5; font-weight: 600; }")
              .arg(css(DS::color(DSToken::interactiveSurface)), css(DS::color(DSToken::interactiveBorder)),
                   css(DS::textPri()), css(DS::tint(DSToken::blue, 0.22)), css(DS::blue()));
    for (QAbstractButton* b : languages_->buttons())
        b->setStyleSheet(style);
    supportButton_->setIcon(symbolIcon(QStringLiteral("envelope")));
}

void SettingsPage::refreshLanguageSelection()
{
    if (QPushButton* b = languageButton(L10n::currentLanguage()))
        b->setChecked(true);
}

void SettingsPage::refreshUpdateCard()
{
    const QString lang = L10n::currentLanguage();
    const bool busy = updates_ && updates_->isInstalling();
    updateButton_->setEnabled(updates_ && !busy);
    // Where the distribution's packages bring updates there is nothing to install here.
    updateButton_->setVisible(!(updates_ && updates_->isUnsupportedPlatform()));
    recoveryButton_->setVisible(updates_ && updates_->offersRecovery());

    const bool downloading = updates_ && updates_->isDownloading();
    // Below zero: the size is not known yet.
    const double fraction = downloading ? updates_->downloadFraction().value_or(-1.0) : -1.0;
    progress_->setVisible(downloading);
    progressText_->setVisible(downloading);
    if (downloading) {
        progress_->setValue(std::max(0.0, fraction), DSToken::blue);
        const QString received = megabytes(updates_->receivedBytes());
        progressText_->setText(fraction >= 0 ? QStringLiteral("%1 / %2 MB  ·  %3%")
                                                   .arg(received, megabytes(updates_->expectedBytes()))
                                                   .arg(qRound(fraction * 100.0))
                                             : QStringLiteral("%1 MB").arg(received));
    }

    // A failed attempt to open the recovery application speaks over the flow's own line.
    const QString key = !model_->recoveryStatusKey().isEmpty() && updates_ && updates_->offersRecovery()
        ? model_->recoveryStatusKey()
        : (updates_ ? updates_->statusKey() : QString());
    if (key.isEmpty())
        updateStatus_->clear();
    else
        updateStatus_->setStatus(L10n::tr(key, lang), toneFor(key));
}

bool SettingsPage::isCheckingPlatform() const { return updates_ && updates_->isCheckingPlatform(); }

void SettingsPage::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (updates_)
        updates_->checkPlatformSupport();
}

void SettingsPage::refreshSupportStatus()
{
    const QString key = model_->supportStatusKey();
    if (key.isEmpty())
        supportStatus_->clear();
    else
        supportStatus_->setStatus(L10n::tr(key, L10n::currentLanguage()), toneFor(key));
}

} // namespace vantrel
