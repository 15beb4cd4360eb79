#pragma once

#include <string>
#include <vector>

namespace platform {

// The command interpreter that runs one command line with "&&" chains:
// "cmd" "/c" on Windows, "sh" "-c" elsewhere.
struct CommandInterpreter {
    std::string program;
    std::vector<std::string> arguments;   // the command line goes last
};

inline CommandInterpreter commandInterpreter(const std::string &commandLine)
{
#ifdef _WIN32
    return { "cmd", { "/c", commandLine } };
#else
    return { "sh", { "-c", commandLine } };
#endif
}

// The file name of the program called `baseName` on this system, as process
// lists show it: "adb.exe" on Windows, "adb" elsewhere.
inline std::string executableFileName(const std::string &baseName)
{
#ifdef _WIN32
    return baseName + ".exe";
#else
    return baseName;
#endif
}

} // namespace platform
