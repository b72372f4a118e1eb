#pragma once
// The system fans from <root>/sys/class/hwmon, and manual control of those on a known-safe chip.
// Fan indices follow the smc key mapping (F0…): system fans in hwmon order, graphics cards' excluded.
#include <QHash>
#include <QString>
#include <QVector>

#include "node/power/SysfsAttribute.h"

namespace vantrel::node {

struct FanReading {
    int index = 0;
    int rpm = -1;
    int minRpm = -1;
    int maxRpm = -1;
    bool manual = false;
};

class Fans {
public:
    // root: VANTREL_ROOT or "/".
    explicit Fans(QString root);
    Fans(QString root, SysfsWriter writer);
    // Hands every fan this object took over back to automatic control.
    ~Fans();
    Fans(const Fans&) = delete;
    Fans& operator=(const Fans&) = delete;

    QVector<FanReading> read() const;
    // Some fan sits on a chip of the known-safe list and offers writable control files.
    bool supportsSafeControl() const;
    bool canControl(int fan) const;
    // Manual duty 0…100 % (clamped); false, and nothing written, for a fan that cannot be
    // controlled safely, or when the driver did not take the mode.
    bool setDutyPercent(int fan, int percent);
    // Writes each touched fan's automatic mode back; a second call has nothing left to do.
    void restoreAutomatic();
    // Fans under manual control by this object, by index.
    QVector<int> controlledFans() const;

private:
    struct Channel;
    QVector<Channel> channels() const;

    struct Touched {
        int index = -1;
        QString modePath;
        QString automaticValue;
    };

    QString classFolder_;
    SysfsWriter writer_;
    QHash<QString, Touched> touched_; // by mode file path
};

} // namespace vantrel::node
