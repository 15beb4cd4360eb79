#pragma once
// Text helpers of the Linux backend, for what /proc, /sys and command output hold.
#include <fstream>
#include <string>

namespace platform::posix {

// `s` without blanks, tabs and line ends at either end.
inline std::string trim(std::string s)
{
    const char *ws = " \t\r\n";
    s.erase(0, s.find_first_not_of(ws));
    s.erase(s.find_last_not_of(ws) + 1);
    return s;
}

// The first line of a file (a /sys attribute holds one); empty when it cannot be read.
inline std::string firstLine(const std::string &path)
{
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

} // namespace platform::posix
