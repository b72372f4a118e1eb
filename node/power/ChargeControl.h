#pragma once
// Charge limit, start threshold and charge behaviour through whatever the kernel offers for the
// system batteries: charge_control_{end,start}_threshold (ThinkPad, Framework), the end threshold
// alone (ASUS), Dell's charge_types, Apple silicon's macsmc-battery, IdeaPad conservation mode,
// and charge_behaviour. With several batteries (a ThinkPad's BAT0 and BAT1) every battery that
// offers a control gets each write. Capabilities are detected from the tree on every call.
#include <optional>
#include <utility>
#include <vector>

#include <QString>

#include "node/power/SysfsAttribute.h"

namespace vantrel::node {

struct ChargeCapabilities {
    bool endThreshold = false;
    bool startThreshold = false;
    bool fixedLimitOnly = false; // the limit is either fixedLimit or off (100)
    int fixedLimit = -1;
    bool inhibitCharge = false;
    bool forceDischarge = false;
    QString backend; // "thresholds", "end_threshold", "dell_charge_types", "macsmc", "ideapad_conservation" or ""
};

struct SysfsWriteResult {
    bool ok = false;
    QString code; // "" when ok, else "unsupported", "write_failed", "readback_mismatch", "out_of_range"
    int applied = -1; // the end limit read back after the write (100 when cleared)
    QString detail;
};

enum class ChargeBehaviour {
    Auto,
    InhibitCharge,
    ForceDischarge
};

class ChargeControl {
public:
    // IdeaPad conservation mode stops charging at this level on current models; some older
    // ones stop at 60, which sysfs does not reveal.
    static constexpr int kConservationLimit = 80;
    // macsmc-battery only takes these end thresholds.
    static constexpr int kMacSmcLimits[] = {80, 100};

    // root: VANTREL_ROOT or "/".
    explicit ChargeControl(QString root);
    ChargeControl(QString root, SysfsWriter writer);

    ChargeCapabilities capabilities() const;
    // endPercent 1…100, startPercent 0…99 and below endPercent (else "out_of_range", nothing
    // written); both are then clamped to what the device accepts. A start threshold on a
    // machine without one is "unsupported" and nothing is written.
    SysfsWriteResult setLimit(int endPercent, std::optional<int> startPercent);
    // Charges to full again (Dell: back to "Standard"; IdeaPad: conservation off).
    SysfsWriteResult clearLimit();
    SysfsWriteResult setBehaviour(ChargeBehaviour behaviour);

    // The limit the tree holds now (100 when none is set; the highest of several batteries), and
    // the start threshold and the behaviour (nothing when the batteries disagree).
    std::optional<int> currentLimit() const;
    std::optional<int> currentStart() const;
    std::optional<ChargeBehaviour> currentBehaviour() const;

    static QString behaviourName(ChargeBehaviour behaviour);

private:
    struct Layout;
    // One layout per present system battery, or the machine-wide conservation mode.
    std::vector<Layout> detect() const;
    SysfsWriteResult limitOne(const Layout& layout, int endPercent, std::optional<int> startPercent);
    SysfsWriteResult clearOne(const Layout& layout);
    static std::optional<int> currentLimitOf(const Layout& layout);
    // One result of the writes to every battery: ok only when all took it, the highest limit
    // read back, the details named by battery.
    static SysfsWriteResult combined(const std::vector<std::pair<QString, SysfsWriteResult>>& results);
    SysfsWriteResult writeThresholds(const Layout& layout, int end, std::optional<int> start, QString detail);
    SysfsWriteResult writeChoice(const QString& path, const QString& choice) const;
    SysfsWriteResult writeFixedLimit(const Layout& layout, int end);

    QString root_;
    SysfsWriter writer_;
};

} // namespace vantrel::node
