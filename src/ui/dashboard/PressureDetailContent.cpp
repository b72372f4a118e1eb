#include "ui/dashboard/PressureDetailContent.h"

#include <array>

#include "l10n/L10n.h"
#include "ui/dashboard/DashboardRules.h"

namespace vantrel::dashboard {

QString pressureTitle(PressureDetail subject, const QString& lang)
{
    switch (subject) {
    case PressureDetail::cpu:
        return L10n::tr("CPU 로드 자세히", lang);
    case PressureDetail::memory:
        return L10n::tr("메모리 압력 자세히", lang);
    case PressureDetail::storage:
        return L10n::tr("SSD · 저장장치 자세히", lang);
    }
    return {};
}

QString pressureSymbol(PressureDetail subject)
{
    switch (subject) {
    case PressureDetail::cpu:
        return QStringLiteral("cpu");
    case PressureDetail::memory:
        return QStringLiteral("memorychip");
    case PressureDetail::storage:
        return QStringLiteral("internaldrive");
    }
    return {};
}

QString memoryLevelText(const QString& level, const QString& lang)
{
    const QString l = level.toLower();
    if (l == QStringLiteral("low") || l == QStringLiteral("normal"))
        return L10n::tr("dashboard.memory.level.low", lang);
    if (l == QStringLiteral("medium") || l == QStringLiteral("warn") || l == QStringLiteral("warning"))
        return L10n::tr("dashboard.memory.level.medium", lang);
    if (l == QStringLiteral("high"))
        return L10n::tr("dashboard.memory.level.high", lang);
    if (l == QStringLiteral("critical"))
        return L10n::tr("dashboard.memory.level.critical", lang);
    return L10n::tr("dashboard.memory.level.unknown", lang);
}

std::vector<PressureMetric> pressureMetrics(PressureDetail subject, const DashboardRefreshResult& r,
                                            const QString& lang)
{
    auto percent = [](double v) { return QString::asprintf("%.0f%%", v); };
    const LocalActivityFields& a = r.activity;
    const double load = a.cpuUserPercent + a.cpuSystemPercent;
    switch (subject) {
    case PressureDetail::cpu:
        return {
            {L10n::tr("CPU 온도", lang), r.cpuText, cpuColor(r.cpuValue, 0)},
            {L10n::tr("dashboard.metric.cpu_load", lang), percent(load), cpuColor(0, load)},
            {L10n::tr("dashboard.metric.idle", lang), percent(a.cpuIdlePercent), DSToken::textPri},
            {L10n::tr("dashboard.metric.user", lang), percent(a.cpuUserPercent), DSToken::textPri},
            {L10n::tr("dashboard.metric.system", lang), percent(a.cpuSystemPercent), DSToken::textPri},
            {L10n::tr("dashboard.metric.processes_threads", lang),
             QStringLiteral("%1 / %2").arg(a.processCount).arg(a.threadCount), DSToken::textPri},
        };
    case PressureDetail::memory:
        return {
            {L10n::tr("dashboard.metric.memory_pressure", lang), memoryLevelText(a.memoryLevel, lang),
             memoryLevelColor(a.memoryLevel)},
            {L10n::tr("dashboard.metric.memory_used", lang), a.memoryUsedGB, memoryUseColor(a.memoryUsedGB)},
            {L10n::tr("dashboard.metric.app_memory", lang), a.appMemoryText, DSToken::textPri},
            {L10n::tr("dashboard.metric.wired_memory", lang), a.wiredMemoryText, DSToken::textPri},
            {L10n::tr("dashboard.metric.compressed_memory", lang), a.compressedMemoryText, DSToken::textPri},
            {L10n::tr("dashboard.metric.cached_files", lang), a.cachedFilesText, DSToken::textPri},
            {L10n::tr("dashboard.metric.swap_used", lang), a.swapUsedText, DSToken::textPri},
        };
    case PressureDetail::storage: {
        const DSToken color = ssdColor(r.ssdTempText);
        QString band = L10n::tr("dashboard.storage.band.unknown", lang);
        if (color == DSToken::red)
            band = L10n::tr("dashboard.storage.band.hot", lang);
        else if (color == DSToken::orange)
            band = L10n::tr("dashboard.storage.band.warm", lang);
        else if (color == DSToken::cyan)
            band = L10n::tr("dashboard.storage.band.cool", lang);
        return {
            {L10n::tr("dashboard.metric.ssd_temperature", lang), r.ssdTempText, color},
            {L10n::tr("dashboard.metric.ssd_state", lang), band, color},
        };
    }
    }
    return {};
}

std::vector<PressureDetailSection> pressureSections(PressureDetail subject, const QString& lang)
{
    // Section ids with their titles, then each subject's five texts in that order (indexed by PressureDetail).
    static const std::array<std::pair<QString, QString>, 5> titles = {{
        {QStringLiteral("what"), L10n::key("무엇을 보는 건가요?")},
        {QStringLiteral("why"), L10n::key("왜 Vantrel이 확인하나요?")},
        {QStringLiteral("good"), L10n::key("좋은 상태는 어느 정도인가요?")},
        {QStringLiteral("numbers"), L10n::key("숫자 뜻을 쉽게 풀면")},
        {QStringLiteral("bad"), L10n::key("좋지 않을 때 Vantrel은")},
    }};
    static const std::array<std::array<QString, 5>, 3> bodies = {{
        {L10n::key("dashboard.pressure.cpu.what"), L10n::key("dashboard.pressure.cpu.why"),
         L10n::key("dashboard.pressure.cpu.good"), L10n::key("dashboard.pressure.cpu.numbers"),
         L10n::key("dashboard.pressure.cpu.bad")},
        {L10n::key("dashboard.pressure.memory.what"), L10n::key("dashboard.pressure.memory.why"),
         L10n::key("dashboard.pressure.memory.good"), L10n::key("dashboard.pressure.memory.numbers"),
         L10n::key("dashboard.pressure.memory.bad")},
        {L10n::key("dashboard.pressure.storage.what"), L10n::key("dashboard.pressure.storage.why"),
         L10n::key("dashboard.pressure.storage.good"), L10n::key("dashboard.pressure.storage.numbers"),
         L10n::key("dashboard.pressure.storage.bad")},
    }};
    const auto& texts = bodies[static_cast<size_t>(subject)];
    std::vector<PressureDetailSection> sections;
    for (size_t i = 0; i < titles.size(); ++i)
        sections.push_back({titles[i].first, L10n::tr(titles[i].second, lang), L10n::tr(texts[i], lang)});
    return sections;
}

} // namespace vantrel::dashboard
