#pragma once

#include <cstdlib>
#include <string>

namespace platform::posix {

// Kernel object names may not hold '/': replace it so any product name maps
// to one flat name.
inline std::string flatName(const std::string &name)
{
    std::string out = name;
    for (char &c : out) {
        if (c == '/')
            c = '_';
    }
    return out;
}

// The per-user runtime folder (XDG_RUNTIME_DIR), else /tmp.
inline std::string runtimeDir()
{
    const char *dir = std::getenv("XDG_RUNTIME_DIR");
    if (dir && *dir)
        return dir;
    return "/tmp";
}

} // namespace platform::posix
