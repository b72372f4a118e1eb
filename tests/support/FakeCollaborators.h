#pragma once
// Recording stand-ins for every collaborator of the central state. Each call appends a short
// word to one shared list, so a test sees the order in which the loop meets them.
#include <functional>

#include <QStringList>

#include "core/SettingsSynchroniser.h"
#include "fan/FanCurveObserver.h"
#include "fan/LanguageModelScanner.h"
#include "platform/AccessibilityAccess.h"
#include "power/BatteryConfigurationMemory.h"
#include "power/EvidenceRecorder.h"
#include "sensors/CapabilityGate.h"
#include "sensors/SensorSource.h"
#include "sleep/KeepAwakeMonitor.h"
#include "sleep/SleepReconciler.h"

namespace vantrel::test {

struct FakeCollaborators final : FanCurveObserver,
                                 KeepAwakeMonitor,
                                 SensorSource,
                                 LanguageModelScanner,
                                 SleepReconciler,
                                 EvidenceRecorder,
                                 CapabilityGate,
                                 BatteryConfigurationMemory,
                                 SettingsSynchroniser,
                                 AccessibilityAccess {
    QStringList calls;
    SensorSample sample;
    mutable int languageModelScans = 0;
    LanguageModelScan scanResult;
    bool loaded = false;
    bool placeholder = true;
    std::uint64_t generation = 0;
    bool settingsReady = true;
    bool trusted = false;
    std::function<void()> onCapture;

    void refreshMacOSFanCurveAnalysis() override { calls << "fan-analysis"; }
    void recordMacOSFanCurveSample(const HistoryDataPoint&) override { calls << "fan-sample"; }
    void updateLidOpenLockMonitoring(bool enabled) override { calls << QStringLiteral("lid-lock:%1").arg(enabled); }
    void refreshAutomationStatus() override { calls << "automation"; }
    SensorSample readSensors() override { return sample; }
    LanguageModelScan scan() const override
    {
        ++languageModelScans;
        return scanResult;
    }
    void reconcileSleepRuntime(const QString& reason) override { calls << "sleep:" + reason; }
    void scheduleSleepRuntimeReconcile(const QString& reason) override { calls << "schedule:" + reason; }
    void resetDaemonApplyState() override { calls << "reset-sleep"; }
    void capture() override
    {
        calls << "evidence";
        if (onCapture)
            onCapture();
    }
    bool isLoaded() const override { return loaded; }
    bool hasPlaceholderProfile() const override { return placeholder; }
    std::uint64_t refreshGeneration() const override { return generation; }
    void refresh() override { calls << "caps-refresh"; }
    void probeAfterExhaustion() override { calls << "caps-probe"; }
    void clear() override { calls << "caps-clear"; }
    void forgetAppliedSignature() override { calls << "forget-battery"; }
    bool canonicalSettingsReady() const override { return settingsReady; }
    void reconcileDaemonCanonicalUserSettings(const QString& reason) override { calls << "settings:" + reason; }
    void probeDaemonCanonicalSettingsAfterExhaustion(const QString& reason) override
    {
        calls << "settings-probe:" + reason;
    }
    void resetAfterDaemonLoss() override { calls << "reset-settings"; }
    bool isProcessTrusted() const override { return trusted; }
    bool probeSystemEventsAutomation() override { return false; }
};

} // namespace vantrel::test
