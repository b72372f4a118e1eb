#pragma once
// The displays of the machine and the software display the app can add: the online displays
// with their identity numbers, the main display's size, virtual display creation and the
// mirroring configuration.
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include <QString>

namespace vantrel {

struct DisplayInfo {
    std::uint32_t id = 0;
    bool builtIn = false;
    std::uint32_t vendorNumber = 0;
    std::uint32_t modelNumber = 0;
    std::uint32_t serialNumber = 0;
};

// A display shown as a screen, with the name the desktop gives it.
struct ScreenInfo {
    std::uint32_t displayId = 0;
    QString localizedName;
};

struct PixelSize {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
};

struct VirtualDisplayDescriptor {
    QString name;
    std::uint32_t maxPixelsWide = 0;
    std::uint32_t maxPixelsHigh = 0;
    double widthMillimeters = 0;
    double heightMillimeters = 0;
    std::uint32_t productId = 0;
    std::uint32_t vendorId = 0;
    std::uint32_t serialNum = 0;
};

struct VirtualDisplayMode {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    double refreshRate = 0;
};

// A live software display; it disappears when this object is destroyed.
class VirtualDisplay {
public:
    virtual ~VirtualDisplay() = default;
    virtual bool applySettings(const std::vector<VirtualDisplayMode>& modes) = 0;
};

// One display configuration transaction; destroying it without completing discards it.
class DisplayConfiguration {
public:
    virtual ~DisplayConfiguration() = default;
    // masterId 0 mirrors nothing.
    virtual void configureMirror(std::uint32_t displayId, std::uint32_t masterId) = 0;
    // Applies the changes until the user logs out; 0 on success, otherwise the error code.
    virtual int completeForSession() = 0;
};

class Displays {
public:
    virtual ~Displays() = default;
    // At most maxCount online displays; nothing when the list cannot be read.
    virtual std::optional<std::vector<DisplayInfo>> onlineDisplays(int maxCount) const = 0;
    virtual std::vector<ScreenInfo> screens() const = 0;
    // The main display's size in pixels; 0 x 0 when there is none.
    virtual PixelSize mainDisplayPixelSize() const = 0;
    // Nothing when the mode cannot be made.
    virtual std::optional<VirtualDisplayMode> makeMode(std::uint32_t width, std::uint32_t height,
                                                       double refreshRate) const = 0;
    // Nothing when no virtual display can be created here.
    virtual std::unique_ptr<VirtualDisplay> createVirtualDisplay(const VirtualDisplayDescriptor& descriptor) = 0;
    // Nothing when no configuration can be begun.
    virtual std::unique_ptr<DisplayConfiguration> beginConfiguration() = 0;
    virtual std::vector<std::uint32_t> activeDisplayIds(int maxCount) const = 0;
};

} // namespace vantrel
