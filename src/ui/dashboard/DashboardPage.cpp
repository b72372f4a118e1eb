#include "ui/dashboard/DashboardPage.h"

#include <algorithm>

#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScrollArea>
#include <QStyle>
#include <QVBoxLayout>

#include "l10n/L10n.h"
#include "l10n/L10nNotifier.h"
#include "power/HeatProtectionAlertPayload.h"
#include "sensors/DisplayBands.h"
#include "ui/dashboard/DashboardCollector.h"
#include "ui/dashboard/DashboardModel.h"
#include "ui/dashboard/DashboardRules.h"
#include "ui/dashboard/EventListView.h"
#include "ui/dashboard/HistoryCard.h"
#include "ui/dashboard/PolicyCard.h"
#include "ui/dashboard/PressureDetailModal.h"
#include "ui/dashboard/SensorTemperatureModal.h"
#include "ui/dashboard/SummaryCard.h"
#include "ui/shell/SidebarLayout.h"
#include "ui/shell/UiState.h"
#include "ui/style/StatusToneToken.h"
#include "ui/widgets/AlertBanner.h"
#include "ui/widgets/Badge.h"
#include "ui/widgets/ConfirmDialog.h"
#include "ui/widgets/HistoryChart.h"
#include "ui/widgets/ScrollingPage.h"
#include "ui/widgets/StatusLine.h"
#include "ui/widgets/TokenLabel.h"

namespace vantrel {

using namespace dashboard;

namespace {

QString percentText(double v) { return QString::asprintf("%.0f%%", std::clamp(v, 0.0, 100.0)); }

DSToken batteryColor(int percent)
{
    if (percent <= 10)
        return DSToken::red;
    if (percent <= 20)
        return DSToken::orange;
    return DSToken::green;
}

// The snapshot gives a state name; the local reading gives a localisation key.
QString batteryActivityText(const QString& state, const QString& lang)
{
    if (state.startsWith(QStringLiteral("dashboard.battery_activity.")))
        return L10n::tr(state, lang);
    const QString s = state.toLower();
    if (s == QStringLiteral("charging"))
        return L10n::tr("충전 중", lang);
    if (s == QStringLiteral("charged") || s == QStringLiteral("full"))
        return L10n::tr("충전 완료", lang);
    if (s == QStringLiteral("discharging") || s == QStringLiteral("on_battery"))
        return L10n::tr("배터리 사용", lang);
    if (s == QStringLiteral("ac_power") || s == QStringLiteral("ac") || s == QStringLiteral("holding"))
        return L10n::tr("AC 전원", lang);
    if (state == QStringLiteral("-") || s == QStringLiteral("unknown"))
        return QString();
    return L10n::displayName(state, lang);
}

QString powerSourceText(const QString& source, const QString& lang)
{
    if (source == QStringLiteral("AC Power"))
        return L10n::tr("AC 전원", lang);
    if (source == QStringLiteral("Battery Power"))
        return L10n::tr("배터리 사용", lang);
    if (source == QStringLiteral("-") || source == QStringLiteral("unknown"))
        return QString();
    return source;
}

} // namespace

DashboardPage::DashboardPage(const UiContext& context, PageNavigator navigate, QWidget* parent)
    : QWidget(parent)
    , context_(context)
    , navigate_(std::move(navigate))
    , model_(std::make_unique<DashboardModel>(
          *context.dispatch,
          std::make_shared<DashboardCollector>(context.daemon, context.activitySampler, context.systemProfiler)))
{
    if (UiState* state = context_.state) {
        model_->setSeedSource([state](DashboardRefreshSeed& seed) {
            seed.appSleepPreventionActive = state->appSleepPreventionActive();
            for (const SensorReading& r : state->allSensors())
                if (r.category == SensorCategory::SSD && catalogueReadingRange.contains(r.value))
                    seed.localSsdTemperature = std::max(seed.localSsdTemperature.value_or(r.value), r.value);
        });
    }
    model_->setHeatAlertCenter(context_.heatAlerts);
    buildLayout();
    connect(model_.get(), &DashboardModel::changed, this, &DashboardPage::refreshView);
    connect(model_.get(), &DashboardModel::statusChanged, this, &DashboardPage::refreshStatus);
    connect(model_.get(), &DashboardModel::timelineChanged, this, &DashboardPage::refreshTimeline);
    connect(model_.get(), &DashboardModel::heatAlert, this, [this](const HeatProtectionAlertPayload& a) {
        heatAlert_ = a;
        showHeatAlert();
    });
    connect(alert_, &AlertBanner::dismissed, this, [this] { heatAlert_.reset(); });
    connect(&L10n::notifier(), &L10nNotifier::currentLanguageChanged, this, &DashboardPage::retranslate);
    retranslate();
}

DashboardPage::~DashboardPage() = default;

void DashboardPage::buildLayout()
{
    const ScrollingPage scrolling(this);
    scroll_ = scrolling.area();
    QWidget* content = scrolling.content();
    QVBoxLayout* page = scrolling.column({28, 24, 28, 28}, 14);

    // Header: title and machine on the left; connection, update time and sensors on the right.
    auto* header = new QHBoxLayout;
    auto* titles = new QVBoxLayout;
    titles->setSpacing(2);
    title_ = new TokenLabel(QString(), DSToken::textPri, 24, QFont::Bold, content);
    subtitle_ = new TokenLabel(QString(), DSToken::textSec, 13, QFont::Normal, content);
    title_->setElideMode(Qt::ElideRight);
    subtitle_->setElideMode(Qt::ElideRight);
    titles->addWidget(title_);
    titles->addWidget(subtitle_);
    header->addLayout(titles, 1);
    auto* meta = new QVBoxLayout;
    meta->setSpacing(4);
    auto* metaTop = new QHBoxLayout;
    metaTop->setSpacing(8);
    connection_ = new Badge(content);
    connection_->hide();
    sensorsButton_ = new QPushButton(content);
    sensorsButton_->setCursor(Qt::PointingHandCursor);
    metaTop->addStretch(1);
    metaTop->addWidget(connection_);
    metaTop->addWidget(sensorsButton_);
    meta->addLayout(metaTop);
    updated_ = new TokenLabel(QString(), DSToken::textTer, 11, QFont::Normal, content);
    updated_->setAlignment(Qt::AlignRight);
    meta->addWidget(updated_);
    header->addLayout(meta);
    page->addLayout(header);
    connect(sensorsButton_, &QPushButton::clicked, this, [this] { openSensorSheet(); });

    alert_ = new AlertBanner(content);
    page->addWidget(alert_);
    status_ = new StatusLine(content);
    page->addWidget(status_);

    grid_ = new QGridLayout;
    grid_->setHorizontalSpacing(14);
    grid_->setVerticalSpacing(14);
    for (int c = 0; c < 4; ++c)
        grid_->setColumnStretch(c, 1);

    cpuCard_ = new SummaryCard(QStringLiteral("cpu"), true, content);
    memoryCard_ = new SummaryCard(QStringLiteral("memorychip"), true, content);
    storageCard_ = new SummaryCard(QStringLiteral("internaldrive"), false, content);
    fanCard_ = new SummaryCard(QStringLiteral("fan"), false, content);
    for (SummaryCard* card : {cpuCard_, memoryCard_, storageCard_, fanCard_})
        card->setClickable(true);
    connect(cpuCard_, &Card::clicked, this, [this] { openPressureDetail(PressureDetail::cpu); });
    connect(memoryCard_, &Card::clicked, this, [this] { openPressureDetail(PressureDetail::memory); });
    connect(storageCard_, &Card::clicked, this, [this] { openPressureDetail(PressureDetail::storage); });
    connect(fanCard_, &Card::clicked, this, [this] {
        if (navigate_)
            navigate_(page::fanCurve);
    });

    cpuHistory_ = new HistoryCard(QStringLiteral("thermometer.medium"), content);
    cpuHistory_->chart()->setMinimumSpan(10);
    cpuHistory_->chart()->setCapacity(DashboardModel::historyCapacity);
    fanHistory_ = new HistoryCard(QStringLiteral("wind"), content);
    fanHistory_->chart()->setMinimumSpan(500);
    fanHistory_->chart()->setCapacity(DashboardModel::historyCapacity);
    fanHistory_->chart()->setToken(DSToken::cyan);

    policyCard_ = new PolicyCard(content);
    policyCard_->setClickable(true);
    connect(policyCard_, &Card::clicked, this, [this] {
        if (navigate_)
            navigate_(page::sleep);
    });
    batteryCard_ = new SummaryCard(QStringLiteral("battery.75percent"), true, content);
    batteryCard_->setClickable(true);
    connect(batteryCard_, &Card::clicked, this, [this] {
        if (navigate_)
            navigate_(page::power);
    });

    timelineCard_ = new Card(content);
    timelineCard_->setSymbol(QStringLiteral("clock.arrow.circlepath"));
    timeline_ = new EventListView(timelineCard_);
    timelineCard_->contentLayout()->addWidget(timeline_);
    timelineCard_->contentLayout()->addStretch(1);
    eventsCard_ = new Card(content);
    eventsCard_->setSymbol(QStringLiteral("list.bullet"));
    events_ = new EventListView(eventsCard_);
    eventsCard_->contentLayout()->addWidget(events_);
    eventsCard_->contentLayout()->addStretch(1);
    page->addLayout(grid_);
    arrangeCards();

    resetCard_ = new Card(content);
    resetCard_->setSymbol(QStringLiteral("arrow.uturn.backward"));
    auto* resetRow = new QHBoxLayout;
    resetRow->setSpacing(16);
    resetText_ = new TokenLabel(QString(), DSToken::textSec, 12, QFont::Normal, resetCard_);
    resetText_->setWordWrap(true);
    resetRow->addWidget(resetText_, 1);
    resetButton_ = new QPushButton(resetCard_);
    resetButton_->setProperty("role", "destructive");
    resetButton_->setCursor(Qt::PointingHandCursor);
    resetRow->addWidget(resetButton_, 0, Qt::AlignVCenter);
    resetCard_->contentLayout()->addLayout(resetRow);
    page->addWidget(resetCard_);
    page->addStretch(1);
    connect(resetButton_, &QPushButton::clicked, this, &DashboardPage::requestSafetyReset);
}

void DashboardPage::arrangeCards()
{
    // The page's side margins: the cards share what is left. A card needs its minimum width
    // (wrapped lines, shortened title) and never less than a comfortable floor.
    constexpr int margins = 28 + 28;
    constexpr int comfortableWidth = 160;
    SummaryCard* const summary[] = {cpuCard_, memoryCard_, storageCard_, fanCard_};
    int needed = 3 * grid_->horizontalSpacing();
    for (const SummaryCard* card : summary)
        needed += std::max(comfortableWidth, card->minimumSizeHint().width());
    // The page's own width: the scroll area inside it is resized only after this runs. A
    // vertical scroll bar may take its share.
    const int available = width() - margins - style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, scroll_);
    const bool oneRow = needed <= available;
    if (arranged_ && oneRow == summaryInOneRow_)
        return;
    arranged_ = true;
    summaryInOneRow_ = oneRow;

    // Four equal columns: a summary card takes one (or two when they stand two by two),
    // every other card two.
    QWidget* const pairs[][2] = {{cpuHistory_, fanHistory_}, {policyCard_, batteryCard_}, {timelineCard_, eventsCard_}};
    for (QWidget* card : summary)
        grid_->removeWidget(card);
    for (const auto& pair : pairs) {
        grid_->removeWidget(pair[0]);
        grid_->removeWidget(pair[1]);
    }
    for (int i = 0; i < 4; ++i) {
        if (oneRow)
            grid_->addWidget(summary[i], 0, i);
        else
            grid_->addWidget(summary[i], i / 2, (i % 2) * 2, 1, 2);
    }
    int row = oneRow ? 1 : 2;
    for (const auto& pair : pairs) {
        grid_->addWidget(pair[0], row, 0, 1, 2);
        grid_->addWidget(pair[1], row, 2, 1, 2);
        ++row;
    }
}

void DashboardPage::showHeatAlert()
{
    if (!heatAlert_)
        return;
    const QString lang = L10n::currentLanguage();
    alert_->showAlert(heatAlert_->titleText(lang), heatAlert_->messageText(lang));
}

void DashboardPage::retranslate()
{
    const QString lang = L10n::currentLanguage();
    title_->setText(L10n::tr("dcs_dashboard", lang));
    sensorsButton_->setText(L10n::tr("전체 센서 온도", lang));
    cpuCard_->setTitle(QStringLiteral("CPU"));
    memoryCard_->setTitle(L10n::tr("dashboard.card.memory", lang));
    storageCard_->setTitle(L10n::tr("dashboard.card.storage", lang));
    fanCard_->setTitle(L10n::tr("dashboard.card.fans", lang));
    cpuHistory_->setTitle(L10n::tr("thermal_chart_title", lang));
    fanHistory_->setTitle(L10n::tr("fan_chart_title", lang));
    cpuHistory_->chart()->setEmptyText(L10n::tr("dashboard.evidence.waiting", lang));
    fanHistory_->chart()->setEmptyText(L10n::tr("dashboard.evidence.waiting", lang));
    policyCard_->setTitle(L10n::tr("dashboard.card.policy", lang));
    batteryCard_->setTitle(L10n::tr("dashboard.card.battery", lang));
    timelineCard_->setTitle(L10n::tr("dashboard.timeline.title", lang));
    eventsCard_->setTitle(L10n::tr("dashboard.events.title", lang));
    resetCard_->setTitle(L10n::tr("return_macos_defaults", lang));
    resetText_->setText(L10n::tr("return_macos_defaults_desc", lang));
    resetButton_->setText(L10n::tr("return", lang));
    showHeatAlert();
    refreshView();
    refreshStatus();
    refreshTimeline();
    // Longer texts may no longer fit four cards in a row, or shorter ones may again.
    arrangeCards();
}

void DashboardPage::refreshView()
{
    const QString lang = L10n::currentLanguage();
    const DashboardRefreshResult& r = model_->current();
    showHeader(r, lang);
    showActivity(r, lang);
    showFans(r, lang);
    policyCard_->show(r, lang);
    showBattery(r, lang);
    refreshEvents();
}

void DashboardPage::showHeader(const DashboardRefreshResult& r, const QString& lang)
{
    QString machine = r.hardwareMarketingName.isEmpty() ? L10n::tr("모델 확인 중", lang) : r.hardwareMarketingName;
    if (r.hardwareModel != QStringLiteral("-") && !machine.contains(r.hardwareModel))
        machine += QStringLiteral("  ·  ") + r.hardwareModel;
    subtitle_->setText(machine);
    if (!model_->hasRefreshed())
        return;
    if (r.daemonStatus == QStringLiteral("ok"))
        connection_->setBadge(L10n::tr("connected", lang), DSToken::green);
    else if (r.daemonReachable)
        connection_->setBadge(r.daemonStatus, DSToken::orange);
    else
        connection_->setBadge(L10n::tr("not_connected", lang), DSToken::red);
    updated_->setText(L10n::format("dashboard.updated_at", r.lastUpdated, lang));
}

// CPU, memory and storage: the figures with local fallbacks.
void DashboardPage::showActivity(const DashboardRefreshResult& r, const QString& lang)
{
    const LocalActivityFields& a = r.activity;
    const double load = a.cpuUserPercent + a.cpuSystemPercent;
    cpuCard_->setValue(r.cpuText, r.cpuText == QStringLiteral("-") ? DSToken::textTer : cpuColor(r.cpuValue, load));
    cpuCard_->setDetail(
        L10n::formatList("dashboard.cpu.load_detail",
                         {percentText(load), percentText(a.cpuUserPercent), percentText(a.cpuSystemPercent)}, lang));
    cpuCard_->setGauge(load / 100.0, cpuColor(0, load));
    cpuCard_->setCaption(L10n::formatList("dashboard.cpu.counts",
                                          {QString::number(a.processCount), QString::number(a.threadCount)}, lang));

    const DSToken levelColor = memoryLevelColor(a.memoryLevel);
    memoryCard_->setValue(a.memoryUsedGB, memoryUseColor(a.memoryUsedGB));
    memoryCard_->setBadge(memoryLevelText(a.memoryLevel, lang), levelColor);
    memoryCard_->setGauge(memoryGaugePosition(a.memoryLevel, a.memoryUsedGB), levelColor);
    memoryCard_->setCaption(L10n::formatList("dashboard.memory.breakdown",
                                             {a.appMemoryText, a.wiredMemoryText, a.compressedMemoryText}, lang));

    const auto storage = pressureMetrics(PressureDetail::storage, r, lang);
    storageCard_->setValue(r.ssdTempText, ssdColor(r.ssdTempText));
    storageCard_->setBadge(storage.size() > 1 ? storage[1].value : QString(), ssdColor(r.ssdTempText));
    storageCard_->setCaption(L10n::formatList("dashboard.storage.caption", {a.cachedFilesText, a.swapUsedText}, lang));
}

// The fan card and both history charts.
void DashboardPage::showFans(const DashboardRefreshResult& r, const QString& lang)
{
    const int fanMax = std::max(r.fan0RPM, r.fan1RPM);
    fanCard_->setValue(QStringLiteral("%1 RPM").arg(fanMax), fanMax > 0 ? DSToken::cyan : DSToken::textPri);
    if (r.fanCount == 0 && model_->hasRefreshed() && r.daemonReachable)
        fanCard_->setDetail(L10n::tr("dashboard.fans.none", lang));
    else if (r.fanCount == 1)
        fanCard_->setDetail(L10n::format("dashboard.fans.single", QString::number(r.fan0RPM), lang));
    else
        fanCard_->setDetail(
            L10n::formatList("dashboard.fans.pair", {QString::number(r.fan0RPM), QString::number(r.fan1RPM)}, lang));
    fanCard_->setCaption(r.supportsFan ? L10n::tr("dashboard.fans.control_available", lang)
                                       : L10n::tr("dashboard.fans.control_unavailable", lang));

    cpuHistory_->chart()->setSamples(std::vector<double>(model_->cpuHistory().begin(), model_->cpuHistory().end()));
    cpuHistory_->chart()->setToken(cpuColor(r.cpuValue, 0));
    cpuHistory_->setLatest(r.cpuText, cpuColor(r.cpuValue, 0));
    fanHistory_->chart()->setSamples(std::vector<double>(model_->fanHistory().begin(), model_->fanHistory().end()));
    fanHistory_->setLatest(QStringLiteral("%1 RPM").arg(fanMax), DSToken::cyan);
}

void DashboardPage::showBattery(const DashboardRefreshResult& r, const QString& lang)
{
    const LocalActivityFields& a = r.activity;
    if (!r.hasBattery && model_->hasRefreshed()) {
        batteryCard_->setValue(L10n::tr("배터리 없음", lang), DSToken::textSec);
        batteryCard_->setGauge(0, DSToken::grey);
        batteryCard_->setBadge(QString(), DSToken::grey);
        batteryCard_->setDetail(powerSourceText(a.batteryPowerSource, lang));
        batteryCard_->setCaption(QString());
        return;
    }
    batteryCard_->setValue(QStringLiteral("%1%").arg(r.batteryPercent), batteryColor(r.batteryPercent));
    const std::optional<double> marker
        = r.chargeLimitEnabled && r.batteryTarget > 0 ? std::optional<double>(r.batteryTarget / 100.0) : std::nullopt;
    batteryCard_->setGauge(r.batteryPercent / 100.0, batteryColor(r.batteryPercent), marker);
    batteryCard_->setBadge(batteryActivityText(a.batteryActivityState, lang), DSToken::blue);
    QStringList detail;
    if (const QString source = powerSourceText(a.batteryPowerSource, lang); !source.isEmpty())
        detail << source;
    if (r.powerState != QStringLiteral("-"))
        detail << L10n::displayName(r.powerState, lang);
    batteryCard_->setDetail(detail.join(QStringLiteral("  ·  ")));
    // A limit the firmware ignores is not described as holding.
    if (r.chargeLimitIgnored && r.batteryTarget > 0)
        batteryCard_->setCaption(
            L10n::format("dashboard.battery.limit_ignored", QString::number(r.batteryTarget), lang), DSToken::orange);
    else
        batteryCard_->setCaption(
            r.batteryTarget > 0 ? L10n::formatList(
                "dashboard.battery.limit", {QString::number(r.batteryTarget), QString::number(r.batteryDrop)}, lang)
                                : QString());
}

void DashboardPage::refreshStatus()
{
    const auto key = model_->statusKey();
    if (!key) {
        status_->clear();
        return;
    }
    QString text = L10n::tr(*key);
    if (const auto detail = model_->statusDetailKey())
        text += QLatin1Char('\n') + L10n::tr(*detail);
    status_->setStatus(text, statusToneToken(model_->statusTone().value_or(StatusTone::Neutral)));
    resetButton_->setEnabled(!model_->isResetting());
}

void DashboardPage::refreshTimeline()
{
    const QString lang = L10n::currentLanguage();
    const auto& entries = model_->timeline();
    std::vector<EventRow> rows;
    if (entries) {
        for (const EvidenceEntry& e : *entries) {
            QStringList detail;
            if (!e.trigger.isEmpty())
                detail << evidenceWord(e.trigger, lang);
            if (!e.resultState.isEmpty())
                detail << evidenceWord(e.resultState, lang);
            const QString title = !e.summary.isEmpty() ? L10n::tr(e.summary, lang) : L10n::displayName(e.action, lang);
            rows.push_back({e.time, title, detail.join(QStringLiteral(" · ")), e.color});
        }
    }
    timeline_->setEmptyText(entries ? L10n::tr("dashboard.event.none", lang)
                                    : L10n::tr("dashboard.evidence.waiting", lang));
    timeline_->setRows(rows);
}

void DashboardPage::refreshEvents()
{
    const QString lang = L10n::currentLanguage();
    std::vector<EventRow> rows;
    for (const DashboardEvent& e : model_->current().events)
        rows.push_back({e.kind, L10n::tr(e.title, lang), L10n::tr(e.detail, lang), e.color});
    events_->setEmptyText(L10n::tr("dashboard.event.none", lang));
    if (rows != events_->rows())
        events_->setRows(rows);
}

void DashboardPage::requestSafetyReset()
{
    const QString lang = L10n::currentLanguage();
    const ConfirmDialog::Question question{
        L10n::tr("macOS 기본값으로 복귀할까요?", lang),
        L10n::tr("팬, 배터리, 잠자기 제어를 가능한 범위에서 macOS 기본 상태로 되돌리고 다시 읽습니다.", lang),
        L10n::tr("return", lang),
        L10n::tr("cancel", lang),
    };
    if (!ConfirmDialog::ask(this, question, true))
        return;
    model_->performSafetyReset();
}

DetailSheet* DashboardPage::openPressureDetail(PressureDetail subject)
{
    auto* sheet = new PressureDetailModal(subject, model_->current(), window());
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    sheet->open();
    return sheet;
}

DetailSheet* DashboardPage::openSensorSheet()
{
    auto* sheet = new SensorTemperatureModal(
        context_.state ? context_.state->allSensors() : std::vector<SensorReading>{}, model_->current(), window());
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    sheet->open();
    return sheet;
}

void DashboardPage::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    model_->setShown(true);
}

void DashboardPage::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    arrangeCards();
}

void DashboardPage::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    model_->setShown(false);
}

} // namespace vantrel
