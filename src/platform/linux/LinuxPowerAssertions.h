#pragma once
// Power assertions as logind inhibitors and the desktop's screen-saver inhibit: system sleep is
// a "sleep" inhibitor, idle sleep an "idle" one (both held by the file descriptor logind hands
// back, dropped by closing it), display sleep the session's org.freedesktop.ScreenSaver Inhibit
// (dropped with UnInhibit), and the lid a "handle-lid-switch" inhibitor. Whatever cannot be
// reached gives a clean "no assertion".
#include <map>
#include <mutex>
#include <variant>

#include <QDBusUnixFileDescriptor>

#include "platform/PowerAssertions.h"

namespace vantrel {

class LinuxPowerAssertions final : public PowerAssertions {
public:
    // Bus addresses: "" for the machine's system bus (logind) and the user's session bus.
    explicit LinuxPowerAssertions(QString systemBusAddress = {}, QString sessionBusAddress = {});

    std::optional<PowerAssertionId> create(const QString& type, const QString& name) override;
    bool release(PowerAssertionId id) override;
    bool holdLidSwitch(bool held) override;

    // logind's inhibitor kind for an assertion type, "" for a type it does not cover.
    static QString inhibitorFor(const QString& type);

private:
    struct ScreenSaverCookie {
        quint32 cookie = 0;
    };
    using Held = std::variant<QDBusUnixFileDescriptor, ScreenSaverCookie>;

    std::optional<QDBusUnixFileDescriptor> inhibit(const QString& what, const QString& why) const;
    std::optional<quint32> inhibitScreenSaver(const QString& why) const;

    QString systemBusAddress_;
    QString sessionBusAddress_;
    std::mutex mutex_;
    std::map<PowerAssertionId, Held> held_;
    PowerAssertionId nextId_ = 1;
    std::optional<QDBusUnixFileDescriptor> lidSwitch_;
};

} // namespace vantrel
