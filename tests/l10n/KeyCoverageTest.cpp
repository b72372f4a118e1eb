#include <QDirIterator>
#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

#include "base/AtomicFile.h"
#include "l10n/KoreanLiteralTable.h"
#include "l10n/L10n.h"
#include "l10n/Translator.h"

using namespace vantrel;

namespace {

// The call shapes documented in L10n.h, with the key as a string literal (optionally
// wrapped in QStringLiteral).
QStringList keysUsedIn(const QString& source)
{
    static const QRegularExpression call(
        QStringLiteral(R"re(L10n::(?:tr|format|formatList|key)\s*\(\s*(?:QStringLiteral\s*\(\s*)?"((?:[^"\\]|\\.)*)")re"));
    QStringList keys;
    for (auto it = call.globalMatch(source); it.hasNext();) {
        QString key = it.next().captured(1);
        key.replace(QLatin1String("\\\""), QLatin1String("\""));
        key.replace(QLatin1String("\\n"), QLatin1String("\n"));
        key.replace(QLatin1String("\\\\"), QLatin1String("\\"));
        keys << key;
    }
    return keys;
}

// Keys the screens look up by name, and the catalogue stems whose description, steps and
// result they show.
const QStringList kScreenKeys{
    "common.close", "common.dry_run", "common.feature", "common.minutes_15", "common.minutes_30",
    "common.minutes_5", "common.read_state", "common.read_status", "common.restore", "common.seconds_60",
    "convenience.contract.subtitle", "convenience.contract.title", "convenience.dock_recent_count",
    "convenience.safety_restore_needed", "dashboard.battery_activity.ac_power", "dashboard.battery_activity.charging",
    "dashboard.battery_activity.full", "dashboard.battery_activity.on_battery", "dashboard.daemon.connection_failed",
    "dashboard.driver.macos_default", "dashboard.event.none", "dashboard.evidence.waiting", "detail.final_result",
    "fan.calibration.apply_recommended", "fan.calibration.mode", "fan.calibration.note",
    "fan.calibration.result_contract_waiting", "fan.calibration.result_curve", "fan.calibration.start",
    "fan.calibration.step_response", "fan.calibration.thermal_resistance", "fan.mode.macos_default.short",
    "fan.preset.deleted_named", "fan.preset.duplicate", "fan.preset.name_required", "fan.preset.saved_named",
    "fan.preset.select_to_delete", "fan.preset.select_to_update", "fan.preset.select_to_update_2",
    "fan.preset.updated_named", "fan.smart_app.add_app", "fan.smart_app.add_app_missing_contract",
    "fan.smart_app.note", "fan.smart_app.on_exit", "fan.smart_app.on_launch", "fan.smart_app.preemptive",
    "fan.smart_app.save_failure", "fan.smart_app.save_rule", "fan.smart_app.save_success",
    "fan.smart_app.status.default", "fan.smart_app_preset_cooling", "fan.status.apply_failure_named",
    "fan.status.apply_success_named", "fan.status.custom_apply_success", "fan.status.live_apply_failure",
    "fan.status.live_apply_success", "fan.status.reset_failure", "fan.status.reset_success",
    "power.alert.off", "power.alert.on", "power.alert_settings.https_needed", "power.alert_settings.https_valid",
    "power.alert_settings.save_failure", "power.alert_settings.save_success", "power.energy.adapter_time",
    "power.energy.average", "power.energy.banner.subtitle", "power.energy.banner.title",
    "power.energy.battery_efficiency", "power.energy.battery_energy", "power.energy.battery_time",
    "power.energy.collecting", "power.energy.coverage", "power.energy.current", "power.energy.cycle",
    "power.energy.efc", "power.energy.open", "power.energy.peak", "power.energy.policy_coverage",
    "power.energy.today", "power.status.charge_one_time_applying", "power.status.charge_one_time_failure",
    "power.status.charge_one_time_success", "power.status.feature_locked", "power.status.safety_drain_auto_applying",
    "power.status.safety_drain_fixed_applying", "power.status.set_battery_config_applying",
    "power.status.set_battery_config_delay", "power.status.set_battery_config_fail_msg",
    "power.status.set_battery_config_fail_no_resp", "power.status.set_battery_config_partial",
    "power.status.set_battery_config_partial_msg", "power.status.set_battery_config_prep",
    "power.status.set_battery_config_reject", "power.status.set_battery_config_success",
    "power.status.webhook_failure", "power.status.webhook_invalid", "power.status.webhook_success",
    "sensor.category.airflow", "sensor.category.cpu", "sensor.category.gpu", "sensor.category.other",
    "sensor.category.ssd", "battery_sensor", "settings.app_version.subtitle", "settings.app_version.title",
    "settings.appearance.dark", "settings.appearance.light", "settings.appearance.subtitle",
    "settings.appearance.system", "settings.appearance.title", "settings.support.contact.body",
    "settings.support.contact.button", "settings.support.contact.subject", "settings.support.status.failed",
    "settings.support.status.opened", "settings.support.subtitle", "settings.support.title",
    "settings.update.button", "settings.update.cancelled", "settings.update.checking", "settings.update.completed",
    "settings.update.failed", "settings.update.installing", "settings.update.no_update",
    "settings.update.recovery.button", "settings.update.recovery_failed", "settings.update.rolled_back",
    "settings.update.started", "settings.update.subtitle", "settings.update.title",
    "sleep.battery_cutoff_slider.subtitle", "sleep.battery_cutoff_slider.title", "sleep.battery_panel.subtitle",
    "sleep.battery_panel.title", "sleep.status.apply_failure", "sleep.status.apply_pending",
    "sleep.status.apply_success", "sleep.status.battery_cutoff_blocked", "sleep.status.not_ready",
    "sleep.status.safety_lock_req", "survival.notification.body", "survival.notification.title",
    "status_sleep_prevent", "status_virtual_display", "lid_open_lock", "apply_btn", "permission_needed", "terminate",
    "dcs_dashboard", "dcs_fan_curve", "dcs_power_battery", "dcs_system_control", "dcs_convenience",
    "dcs_settings", "dcs_hardware_control", "dcs_os_tuning", "dcs_sleep", "return_macos_defaults",
};

const QStringList kCatalogueStems{
    "state.macos_default", "feature.fan.vantrel_curve_control", "feature.runtime.hardware_interlock",
    "feature.fan.preemptive_cooling", "feature.fan.calibration", "feature.fan.unified_curve", "curve_silent",
    "curve_balance", "curve_performance", "feature.fan.custom_preset", "feature.fan.smart_app_preset",
    "feature.fan.unlimited_presets", "feature.sleep.prevent_system_sleep", "feature.sleep.prevent_display_sleep",
    "feature.sleep.virtual_clamshell", "feature.sleep.safety_lock", "feature.sleep.remote_display_sleep",
    "feature.sleep.app_nap", "feature.convenience.disk_eject_warning", "feature.convenience.dock_recent_apps",
    "feature.convenience.animation_zero", "feature.convenience.auto_launch_block",
    "feature.convenience.crash_reporter_silent", "feature.convenience.finder_programmer",
    "feature.convenience.quicklook_text_copy",
};

// Text for key in English and Korean, or for a Korean literal an English text.
void expectEnglishAndKorean(const QString& key, const QString& where)
{
    const Translator& t = L10n::translator();
    const std::string context = key.toStdString() + " (" + where.toStdString() + ")";
    if (KoreanLiteralTable::containsHangul(key)) {
        const QString english = t.tr(key, "en");
        EXPECT_NE(english, key) << context;
        EXPECT_FALSE(KoreanLiteralTable::containsHangul(english)) << context;
        return;
    }
    EXPECT_TRUE(t.hasText(key, "en")) << context;
    EXPECT_TRUE(t.hasText(key, "ko")) << context;
}

} // namespace

TEST(L10nKeys, ScannerFindsTheDocumentedCallShapes)
{
    const QString source = QStringLiteral(
        "label->setText(L10n::tr(\"dcs_dashboard\"));\n"
        "auto s = L10n::tr( QStringLiteral(\"tab_status\"), lang);\n"
        "status = L10n::format(\"fan.status.apply_success_named\", name);\n"
        "L10n::formatList(\"sleep.status.battery_cutoff_blocked\", {a, b, c}, lang);\n"
        "spec.title = L10n::key(\"feature.sleep.app_nap\");\n"
        "L10n::tr(\"대기 중\"); L10n::tr(\"say \\\"hi\\\"\");\n"
        "L10n::displayName(\"curve_x\"); tr(\"not.ours\");\n");
    EXPECT_EQ(keysUsedIn(source),
              (QStringList{"dcs_dashboard", "tab_status", "fan.status.apply_success_named",
                           "sleep.status.battery_cutoff_blocked", "feature.sleep.app_nap", "대기 중", "say \"hi\""}));
}

TEST(L10nKeys, EveryKeyUsedInTheSourceTreeHasEnglishAndKorean)
{
    QDirIterator files(QStringLiteral(VANTREL_SOURCE_DIR "/src"), {"*.cpp", "*.h"}, QDir::Files,
                       QDirIterator::Subdirectories);
    int found = 0;
    while (files.hasNext()) {
        const QString path = files.next();
        const auto bytes = readFile(path);
        ASSERT_TRUE(bytes) << path.toStdString();
        for (const QString& key : keysUsedIn(QString::fromUtf8(*bytes))) {
            ++found;
            expectEnglishAndKorean(key, path.mid(QStringLiteral(VANTREL_SOURCE_DIR).size() + 1));
        }
    }
    // At least the examples in L10n.h are found, so the scan itself is working.
    EXPECT_GE(found, 5);
}

TEST(L10nKeys, ScreenKeysAndCatalogueTextsExist)
{
    for (const QString& key : kScreenKeys)
        expectEnglishAndKorean(key, "screen key");
    for (const QString& stem : kCatalogueStems) {
        for (const char* suffix : {"", ".desc", ".result", ".modal.1", ".modal.2", ".modal.3", ".modal.4"})
            expectEnglishAndKorean(stem + QLatin1String(suffix), "catalogue");
    }
}
