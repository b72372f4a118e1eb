#pragma once
// What the application's sim platform backend does to the simulated Mac: power assertions it
// holds, screen-lock and display-sleep requests, the virtual display and the shield windows.
#include <functional>
#include <vector>

#include <QJsonObject>
#include <QString>

namespace vantrel::sim {

// The software display the application created, as it described it.
struct VirtualDisplayEntry {
    int id = 0;
    QString name;
    int width = 0;
    int height = 0;
    int vendorId = 0;
    int productId = 0;
    int serialNumber = 0;
};

struct PowerAssertion {
    int id = 0;
    QString type; // "PreventSystemSleep", "NoDisplaySleepAssertion", …
    QString name; // "Vantrel Keep-Alive", …
    // The process that created it (0 when unknown); a Mac drops a process's assertions when it ends.
    long long ownerPid = 0;
};

class PlatformState {
public:
    // Returns the new assertion's id (never 0).
    int createAssertion(const QString& type, const QString& name, long long ownerPid = 0);
    // False when no assertion has that id.
    bool releaseAssertion(int id);
    // Drops the assertions whose owner is known and no longer running; returns how many.
    int releaseAssertionsOfEndedOwners(const std::function<bool(long long pid)>& isRunning);
    void requestScreenLock() { ++screenLockRequests_; }
    void requestDisplaySleep() { ++displaySleepRequests_; }
    // Switching it on gives the display a fresh id (kept while it stays on); returns the id, 0 when off.
    int setVirtualDisplayActive(bool active, const VirtualDisplayEntry& description = {});
    void setShieldVisible(bool visible) { shieldVisible_ = visible; }
    // What the privacy settings allow the application; a fresh Mac allows neither, and a
    // reset leaves them as the user set them.
    void setAccessibilityTrusted(bool trusted) { accessibilityTrusted_ = trusted; }
    void setAutomationAllowed(bool allowed) { automationAllowed_ = allowed; }
    void reset();

    const std::vector<PowerAssertion>& assertions() const { return assertions_; }
    int screenLockRequests() const { return screenLockRequests_; }
    int displaySleepRequests() const { return displaySleepRequests_; }
    bool virtualDisplayActive() const { return virtualDisplayActive_; }
    const VirtualDisplayEntry& virtualDisplay() const { return virtualDisplay_; }
    bool shieldVisible() const { return shieldVisible_; }
    bool accessibilityTrusted() const { return accessibilityTrusted_; }
    bool automationAllowed() const { return automationAllowed_; }
    // Whether any held assertion keeps the system (not just the display) awake.
    bool preventsSystemSleep() const;

    // The "platform" object of hardware.json.
    QJsonObject toJson() const;

private:
    std::vector<PowerAssertion> assertions_;
    int nextId_ = 1;
    int screenLockRequests_ = 0;
    int displaySleepRequests_ = 0;
    bool virtualDisplayActive_ = false;
    VirtualDisplayEntry virtualDisplay_;
    int nextDisplayId_ = 100;
    bool shieldVisible_ = false;
    bool accessibilityTrusted_ = false;
    bool automationAllowed_ = false;
};

} // namespace vantrel::sim
