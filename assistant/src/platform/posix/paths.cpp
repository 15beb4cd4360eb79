#include "platform/paths.h"

namespace platform {

std::string openvrPathRegistryFile(const std::string &homeDir)
{
    return homeDir + "/.config/openvr/openvrpaths.vrpath";
}

} // namespace platform
