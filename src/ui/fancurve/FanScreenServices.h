#pragma once
// What the fan page works with: the fan model of the central state and the operations behind it.
namespace vantrel {

class FanConfigurationApplier;
class FanControlState;
class FanCurveObserver;
class FanPresetStore;
class ThermalManager;

struct FanScreenServices {
    FanControlState* state = nullptr;
    const FanPresetStore* presets = nullptr;
    FanConfigurationApplier* applier = nullptr;
    FanCurveObserver* observer = nullptr;
    // The live readings (CPU temperature, fan speeds); absent: none are shown.
    ThermalManager* thermal = nullptr;

    bool isComplete() const { return state && presets && applier && observer; }
};

} // namespace vantrel
