#include "platform/paths.h"

namespace platform {

std::string openvrPathRegistryFile(const std::string &homeDir)
{
    return homeDir + "/AppData/Local/openvr/openvrpaths.vrpath";
}

} // namespace platform
