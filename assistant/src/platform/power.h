#pragma once

namespace platform {

enum class AcLine { Offline, Online, Unknown };

struct PowerStatus {
    bool known = false;                  // false: the status could not be read
    AcLine acLine = AcLine::Unknown;
    bool hasBattery = false;
    int batteryPercent = -1;             // -1 when unknown
};

// Win32: GetSystemPowerStatus. Linux: /sys/class/power_supply (a machine without a
// mains entry and without a battery runs on mains).
PowerStatus powerStatus();

} // namespace platform
