#pragma once

#include <string>

namespace platform {

struct ShellRequest {
    std::string file;                    // program, document or URL
    std::string verb = "open";           // e.g. "open", "runas"
    std::string parameters;              // split at blanks on Linux
    std::string workingDirectory;
    bool hidden = false;
    int waitMs = 0;                      // > 0: wait this long for the started process
};

struct ShellResult {
    enum class Wait { NotWaited, Finished, TimedOut, Failed, NoProcess };
    bool started = false;
    long code = 0;                       // system error code, or ShellExecuteW's value
    Wait wait = Wait::NotWaited;
};

// Win32: ShellExecuteExW when waitMs > 0 (process handle kept), else ShellExecuteW; every
// text goes in as UTF-16.
// Linux: the file is executed directly ("runas" is treated as "open"); a process not
// waited for is started detached.
ShellResult shellExecute(const ShellRequest &request);

// Opens a URL with a detached process. Win32: "explorer <url>" (when explorer cannot be
// started, ShellExecuteW hands the URL to its registered handler). Linux: steam:// URLs go
// to the "steam" program on PATH, everything else (and steam:// without it) to xdg-open.
bool openUrlDetached(const std::string &url);

} // namespace platform
