#pragma once

#include <string>

namespace platform {

struct CommandResult {
    bool started = false;       // false: the pipe or the process could not be made
    bool pipeFailed = false;    // it was the pipe that could not be made
    int exitCode = -1;
    std::string output;         // standard output and error as UTF-8 (Win32: converted from
                                // the console code page the child wrote in; Linux: as read)
    std::string error;          // why it did not start, for the log
};

// Runs a command line without a window and waits until it and everything that
// inherited its output have ended, capturing the output whole.
// Win32: CreateProcessW on the command line with both streams on one inherited pipe.
// Linux: "/bin/sh -c commandLine" with both streams on one pipe.
CommandResult runCommand(const std::string &commandLine);

} // namespace platform
