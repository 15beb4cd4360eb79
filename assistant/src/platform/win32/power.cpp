#include "platform/power.h"

#include <windows.h>

namespace platform {

PowerStatus powerStatus()
{
    PowerStatus status;
    SYSTEM_POWER_STATUS s{};
    if (!GetSystemPowerStatus(&s))
        return status;
    status.known = true;
    status.acLine = s.ACLineStatus == 1 ? AcLine::Online : s.ACLineStatus == 0 ? AcLine::Offline : AcLine::Unknown;
    status.hasBattery = s.BatteryFlag != 128 && s.BatteryFlag != 255;
    status.batteryPercent = s.BatteryLifePercent == 255 ? -1 : s.BatteryLifePercent;
    return status;
}

} // namespace platform
