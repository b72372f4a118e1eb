#pragma once
// The simulated Mac's displays from the simulator's "hardware.json": the built-in panel
// ("built_in_display", offline while the lid is closed), "external_display_count" monitors and
// the virtual display the app created ("platform.virtual_display"). Creating and dropping the
// virtual display goes to the simulator ("sim_platform", action "set_virtual_display").
// The simulated Mac never mirrors, so a mirroring configuration always completes. Creating
// takes over a virtual display left in the simulator by an app that ended without removing it.
#include <memory>
#include <optional>
#include <vector>

#include <QJsonObject>
#include <QString>

#include "daemon/DaemonTransport.h"
#include "platform/Displays.h"
#include "platform/sim/SimHardwareState.h"

namespace vantrel {

class SimDisplays final : public Displays {
public:
    // Fixed identities of the simulated panels.
    static constexpr std::uint32_t builtInId = 1;
    static constexpr std::uint32_t firstExternalId = 2;
    static constexpr std::uint32_t appleVendor = 0x610;
    static constexpr std::uint32_t externalVendor = 0x10AC;
    static constexpr std::uint32_t externalModel = 0xA0C4;

    SimDisplays(QString stateDirectory, std::shared_ptr<DaemonTransport> transport);

    std::optional<std::vector<DisplayInfo>> onlineDisplays(int maxCount) const override;
    std::vector<ScreenInfo> screens() const override;
    PixelSize mainDisplayPixelSize() const override;
    std::optional<VirtualDisplayMode> makeMode(std::uint32_t width, std::uint32_t height,
                                               double refreshRate) const override;
    std::unique_ptr<VirtualDisplay> createVirtualDisplay(const VirtualDisplayDescriptor& descriptor) override;
    std::unique_ptr<DisplayConfiguration> beginConfiguration() override;
    std::vector<std::uint32_t> activeDisplayIds(int maxCount) const override;

    static QJsonObject createRequest(const VirtualDisplayDescriptor& descriptor);

private:
    struct Panel {
        DisplayInfo info;
        QString name;
        PixelSize size;
    };
    // The online panels in the simulator's order (built-in, monitors, virtual); nothing when
    // the hardware file cannot be read.
    std::optional<std::vector<Panel>> panels() const;

    SimHardwareState hardware_;
    std::shared_ptr<DaemonTransport> transport_;
};

} // namespace vantrel
