#pragma once

#include "platform/system_facts.h"

#include <string>

namespace platform {

struct ProgramResult {
    bool started = false;       // false: the program could not be started (see error)
    bool timedOut = false;      // it was ended because it ran past the limit
    int exitCode = -1;
    std::string output;         // standard output and error as UTF-8 (Win32: from the
                                // console code page the child wrote in)
    std::string error;          // why it did not start, for the log
};

// Runs `command.program` with `command.arguments` (each passed as one argument, no shell in
// between) without a window, capturing its output, and waits at most `timeoutMs`;
// past that it ends the program and everything it started.
// Win32: CreateProcessW with the arguments quoted for CommandLineToArgvW, in a job
// object that TerminateJobObject ends. Linux: posix_spawnp in its own process group,
// which SIGKILL ends.
ProgramResult runProgram(const ProgramCommand &command, int timeoutMs);

// Where the system keeps the administration tool `name` ("powershell", "netsh",
// "powercfg"); empty when this system has none.
// Win32: the system folder (GetSystemDirectoryW), PowerShell in its
// WindowsPowerShell\v1.0 folder there. Linux: a program of that name on PATH (Linux
// has none of these; stand-ins for tests are put there).
std::string systemToolPath(const std::string &name);

} // namespace platform
