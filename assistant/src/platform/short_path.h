#pragma once

#include <string>

namespace platform {

// The short (8.3) form of an existing path, e.g. "C:\PROGRA~1\4E32~1" for a folder
// with Chinese characters, which programs that read paths in the ANSI code page can
// open. Empty when the path does not exist or the file system gives it no short form
// (Win32: GetShortPathNameW, whose answer is the long path itself where the volume
// keeps no short names). Linux: always empty, its file names have no short form.
std::string shortPathName(const std::string &path);

} // namespace platform
