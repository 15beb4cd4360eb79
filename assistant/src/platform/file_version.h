#pragma once

#include <optional>
#include <string>

namespace platform {

// The file version of a program or library, "major.minor.build.revision".
// Win32: the fixed part of its version resource (GetFileVersionInfoW). Linux:
// executables carry no version resource, always nullopt.
std::optional<std::string> fileVersion(const std::string &path);

} // namespace platform
