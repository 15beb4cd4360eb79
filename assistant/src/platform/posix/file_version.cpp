#include "platform/file_version.h"

namespace platform {

std::optional<std::string> fileVersion(const std::string &)
{
    return std::nullopt;
}

} // namespace platform
