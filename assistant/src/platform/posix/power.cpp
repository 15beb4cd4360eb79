#include "platform/power.h"

#include "text_file.h"

#include <dirent.h>

#include <cstdlib>
#include <string>

namespace platform {

PowerStatus powerStatus()
{
    PowerStatus status;
    const std::string root = "/sys/class/power_supply/";
    DIR* dir = opendir(root.c_str());
    if (!dir)
        return status;
    status.known = true;
    bool sawMains = false, mainsOnline = false;
    while (dirent* e = readdir(dir)) {
        if (e->d_name[0] == '.')
            continue;
        const std::string base = root + e->d_name + "/";
        const std::string type = posix::firstLine(base + "type");
        if (type == "Mains") {
            sawMains = true;
            mainsOnline = mainsOnline || posix::firstLine(base + "online") == "1";
        } else if (type == "Battery") {
            status.hasBattery = true;
            const std::string cap = posix::firstLine(base + "capacity");
            if (!cap.empty())
                status.batteryPercent = std::atoi(cap.c_str());
        }
    }
    closedir(dir);
    // A machine without a mains entry runs on mains unless it has a battery to run on.
    if (sawMains)
        status.acLine = mainsOnline ? AcLine::Online : AcLine::Offline;
    else
        status.acLine = status.hasBattery ? AcLine::Unknown : AcLine::Online;
    return status;
}

} // namespace platform
