#include "startup_config.h"

#include "utf8_path.h"

#include <cstdlib>

namespace nerevnet {

StartupConfig checkStartupConfig(const NerevnetStartupConfig& host)
{
    StartupConfig checked;
    checked.record = host;
    NerevnetStartupConfig& config = checked.record;
    if (const char* env = std::getenv("NEREVNET_DEBUG"); env && std::atoi(env) == 1) {
        config.debug = true;
    }
    if (config.debug && config.logLevel > NerevnetLogLevel_Debug) {
        config.logLevel = NerevnetLogLevel_Debug;
    }
    checked.logDirIsUtf8 = isValidUtf8(checked.logDir());
    return checked;
}

}  // namespace nerevnet
